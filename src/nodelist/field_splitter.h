#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

#include "nodelist/byte_masks.h"

namespace quorvel {

// Cuts a line into comma-ended fields. The commas of 64 bytes at a time are
// found at once and kept as a bit mask, so each field costs a few
// instructions however long it is.
class FieldSplitter {
public:
    FieldSplitter(const char* begin, const char* end)
        : begin_(begin), end_(end), window_(begin), commas_(commas_in(begin, end))
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
            commas_ = commas_in(window_, end_);
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
    // The commas of the window's first 64 bytes at most.
    static std::uint64_t commas_in(const char* window, const char* end)
    {
        const auto left = static_cast<std::size_t>(end - window);
        return byte_mask<Commas>(window, left > 64 ? 64 : left);
    }

    const char* begin_;
    const char* end_;
    const char* window_;
    std::uint64_t commas_;
};

}  // namespace quorvel
