#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quorvel {

// Where certain bytes lie in a block of up to 64 bytes, as a 64-bit mask:
// bit i is set when block[i] is one of them. The list reader finds line ends
// and the parser field ends a block at a time this way, instead of testing
// byte by byte; counting the mask's trailing zeros then gives each position
// in a couple of instructions.
//
// There are three ways to the same mask, and the tests check each against
// the others: sixteen bytes at a time with SSE2 (every x86-64 has it), eight
// at a time in an ordinary 64-bit word on every other machine, and one at a
// time. The first two finish a block whose size is not a multiple of their
// step with one more step that ends at the block's end and overlaps the one
// before, so none of them ever reads outside [block, block + size).

// The bytes 0x00-0x1F: where a line ends, and where CR, NUL and Ctrl-Z need
// care.
struct ControlBytes {
    static constexpr bool matches(char c) { return static_cast<unsigned char>(c) <= 0x1f; }

    // 0x80 in each byte of the word that is a control byte, 0 in the others.
    // Adding 0x60 to the low seven bits carries into the top bit exactly for
    // 0x20-0x7F, and no byte's sum reaches into the next byte.
    static constexpr std::uint64_t word_flags(std::uint64_t word)
    {
        constexpr std::uint64_t low_bits = 0x7f7f7f7f7f7f7f7fu;
        constexpr std::uint64_t top_bits = 0x8080808080808080u;
        return ~(((word & low_bits) + 0x6060606060606060u) | word) & top_bits;
    }

#ifdef __SSE2__
    static __m128i block_flags(__m128i block)
    {
        // min(x, 0x1F) == x exactly for the bytes x <= 0x1F, taken unsigned.
        return _mm_cmpeq_epi8(_mm_min_epu8(block, _mm_set1_epi8(0x1f)), block);
    }
#endif
};

// The commas that end a line's fields.
struct Commas {
    static constexpr bool matches(char c) { return c == ','; }

    // A comma XOR ',' is a zero byte; adding 0x7F to the low seven bits
    // carries into the top bit for every other byte, again byte by byte.
    static constexpr std::uint64_t word_flags(std::uint64_t word)
    {
        constexpr std::uint64_t low_bits = 0x7f7f7f7f7f7f7f7fu;
        constexpr std::uint64_t top_bits = 0x8080808080808080u;
        const std::uint64_t zeroed = word ^ 0x2c2c2c2c2c2c2c2cu;
        return ~(((zeroed & low_bits) + low_bits) | zeroed) & top_bits;
    }

#ifdef __SSE2__
    static __m128i block_flags(__m128i block) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(',')); }
#endif
};

namespace byte_masks_detail {

constexpr std::uint64_t byte_swap(std::uint64_t x)
{
    x = ((x & 0x00ff00ff00ff00ffu) << 8) | ((x >> 8) & 0x00ff00ff00ff00ffu);
    x = ((x & 0x0000ffff0000ffffu) << 16) | ((x >> 16) & 0x0000ffff0000ffffu);
    return (x << 32) | (x >> 32);
}

// Eight bytes as a word whose lowest byte is the first, on every machine.
inline std::uint64_t load_word(const char* bytes)
{
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    if constexpr (std::endian::native == std::endian::big)
        word = byte_swap(word);
    return word;
}

// The top bits of a word's eight bytes gathered into the low eight bits, the
// first byte's lowest: the multiplication moves byte i's bit to bit 56 + i,
// with no two partial products meeting.
constexpr std::uint64_t gather_top_bits(std::uint64_t flags)
{
    return ((flags >> 7) * 0x0102040810204080u) >> 56;
}

}  // namespace byte_masks_detail

template <class Bytes>
std::uint64_t mask_bytewise(const char* block, std::size_t size)
{
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < size; ++i)
        if (Bytes::matches(block[i]))
            mask |= std::uint64_t{1} << i;
    return mask;
}

template <class Bytes>
std::uint64_t mask_by_words(const char* block, std::size_t size)
{
    using namespace byte_masks_detail;
    if (size < 8)
        return mask_bytewise<Bytes>(block, size);
    std::uint64_t mask = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8)
        mask |= gather_top_bits(Bytes::word_flags(load_word(block + i))) << i;
    if (i < size)
        mask |= gather_top_bits(Bytes::word_flags(load_word(block + size - 8))) << (size - 8);
    return mask;
}

#ifdef __SSE2__
// The mask of the sixteen bytes at bytes.
template <class Bytes>
std::uint64_t sse2_hits(const char* bytes)
{
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(Bytes::block_flags(block)))};
}

template <class Bytes>
std::uint64_t mask_by_sse2(const char* block, std::size_t size)
{
    if (size < 16)
        return mask_by_words<Bytes>(block, size);
    std::uint64_t mask = 0;
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16)
        mask |= sse2_hits<Bytes>(block + i) << i;
    if (i < size)
        mask |= sse2_hits<Bytes>(block + size - 16) << (size - 16);
    return mask;
}
#endif

// The first byte of [begin, end) that is one of Bytes, or end if there is
// none: sixteen bytes at a time with SSE2, eight elsewhere, the last few one
// at a time.
template <class Bytes>
const char* find_first(const char* begin, const char* end)
{
#ifdef __SSE2__
    for (; end - begin >= 16; begin += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const int hits = _mm_movemask_epi8(Bytes::block_flags(bytes));
        if (hits != 0)
            return begin + std::countr_zero(static_cast<unsigned>(hits));
    }
#else
    for (; end - begin >= 8; begin += 8) {
        const std::uint64_t flags = Bytes::word_flags(byte_masks_detail::load_word(begin));
        if (flags != 0)
            return begin + std::countr_zero(flags) / 8;
    }
#endif
    for (; begin != end; ++begin)
        if (Bytes::matches(*begin))
            return begin;
    return end;
}

// The mask of the first size bytes of block (size <= 64), the fastest way
// this machine offers.
template <class Bytes>
std::uint64_t byte_mask(const char* block, std::size_t size)
{
#ifdef __SSE2__
    if (size == 64) {  // the common case, spelt out so that it is inlined
        return sse2_hits<Bytes>(block) | sse2_hits<Bytes>(block + 16) << 16 |
               sse2_hits<Bytes>(block + 32) << 32 | sse2_hits<Bytes>(block + 48) << 48;
    }
    return mask_by_sse2<Bytes>(block, size);
#else
    return mask_by_words<Bytes>(block, size);
#endif
}

}  // namespace quorvel
