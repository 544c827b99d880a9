#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quorvel {

// Cuts a line into comma-ended fields. The commas of 64 bytes at a time are
// found at once and kept as a bit mask, so each field costs a few
// instructions however many there are.
class FieldSplitter {
public:
    FieldSplitter(const char* begin, const char* end)
        : begin_(begin), end_(end), window_(begin), commas_(comma_mask(begin, end))
    {
    }

    // The next field up to its comma, which is passed over. A field that the
    // line ends before its comma runs to the end of the line, and every field
    // after it is empty.
    std::string_view next()
    {
        while (commas_ == 0) {
            if (end_ - window_ <= 64) {
                const std::string_view field(begin_, static_cast<std::size_t>(end_ - begin_));
                begin_ = end_;
                return field;
            }
            window_ += 64;
            commas_ = comma_mask(window_, end_);
        }
        const char* comma = window_ + std::countr_zero(commas_);
        commas_ &= commas_ - 1;
        const std::string_view field(begin_, static_cast<std::size_t>(comma - begin_));
        begin_ = comma + 1;
        return field;
    }

    // Everything not yet taken.
    std::string_view rest() const
    {
        return {begin_, static_cast<std::size_t>(end_ - begin_)};
    }

private:
    // Bit i is set when window[i] is a comma, for the first 64 bytes at most.
    static std::uint64_t comma_mask(const char* window, const char* end)
    {
        const char* stop = end - window > 64 ? window + 64 : end;
        std::uint64_t mask = 0;
        const char* p = window;
#ifdef __SSE2__
        const __m128i comma = _mm_set1_epi8(',');
        for (; stop - p >= 16; p += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, comma)));
            mask |= std::uint64_t{hits} << (p - window);
        }
#endif
        for (; p != stop; ++p)
            if (*p == ',')
                mask |= std::uint64_t{1} << (p - window);
        return mask;
    }

    const char* begin_;
    const char* end_;
    const char* window_;
    std::uint64_t commas_;
};

}  // namespace quorvel
