#include "run/list_reader.h"

#include <algorithm>
#include <bit>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quorvel {

namespace {

constexpr std::size_t read_size = 64 * 1024;
constexpr char carriage_return = '\r';
constexpr char end_of_text = '\x1a';  // Ctrl-Z

// The first control byte, 0x00 to 0x1F: where a line ends, and where the
// careful reading of CR, NUL and Ctrl-Z is needed. Sixteen bytes at a time
// where the processor has SSE2 (every x86-64 does), one at a time elsewhere;
// never reads outside [begin, end), as a line may end at the very end of the
// buffer. Returns end when there is none.
const char* find_control_byte(const char* begin, const char* end)
{
#ifdef __SSE2__
    const __m128i highest = _mm_set1_epi8(0x1f);
    for (; end - begin >= 16; begin += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        // min(x, 0x1F) == x exactly for the bytes x <= 0x1F, taken unsigned.
        const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(block, highest), block);
        const int hits = _mm_movemask_epi8(low);
        if (hits != 0)
            return begin + std::countr_zero(static_cast<unsigned>(hits));
    }
#endif
    for (; begin != end; ++begin)
        if (static_cast<unsigned char>(*begin) <= 0x1f)
            return begin;
    return end;
}

}  // namespace

ListReader::ListReader(InputStream& source) : source_(source), buffer_(read_size) {}

bool ListReader::refill()
{
    const IoResult result = source_.read(buffer_);
    position_ = 0;
    filled_ = result.bytes;
    if (result.error != 0)
        error_ = result.error;
    return filled_ != 0;
}

int ListReader::next_byte()
{
    if (position_ == filled_ && (error_ != 0 || !refill()))
        return end_of_file;
    return static_cast<unsigned char>(buffer_[position_++]);
}

ListReader::Result ListReader::next()
{
    if (ended_)
        return {Outcome::End, {}};
    if (position_ == filled_ && !refill()) {
        ended_ = true;
        return {Outcome::End, {}};
    }

    // The common line: its newline lies in the buffer, it ends in LF or CR LF
    // and holds no CR, NUL or Ctrl-Z. It is handed on in place.
    const char* start = buffer_.data() + position_;
    const char* limit = start + std::min(filled_ - position_, max_line_characters + 1);
    for (const char* p = find_control_byte(start, limit); p != limit;
         p = find_control_byte(p + 1, limit)) {
        const bool crlf = *p == carriage_return && p + 1 != limit && p[1] == '\n';
        if (*p == '\n' || crlf) {
            const auto length = static_cast<std::size_t>(p - start);
            if (length >= max_line_characters)
                break;
            position_ += length + (crlf ? 2 : 1);
            return {Outcome::Line, {start, length}};
        }
        if (*p == carriage_return || *p == '\0' || *p == end_of_text)
            break;
        // Any other control byte, a tab say, is data.
    }
    return next_slowly();
}

// Byte by byte, for lines that cross the end of the buffer or hold a special
// byte, and for every line that is to be refused.
ListReader::Result ListReader::next_slowly()
{
    std::size_t length = 0;
    for (;;) {
        int c = next_byte();
        if (c == carriage_return)
            c = next_byte();
        if (c == end_of_file || c == end_of_text) {
            ended_ = true;
            return {length == 0 ? Outcome::End : Outcome::NoNewline, {}};
        }
        if (c == '\n')
            return {Outcome::Line, {line_.data(), length}};
        if (c == '\0')
            return {Outcome::NoNewline, {}};
        line_[length++] = static_cast<char>(c);
        if (length == max_line_characters)
            return {Outcome::NoNewline, {}};
    }
}

}  // namespace quorvel
