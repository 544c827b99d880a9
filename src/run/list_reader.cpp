#include "run/list_reader.h"

#include <cstring>

namespace quorvel {

namespace {

constexpr std::size_t read_size = 64 * 1024;
constexpr char carriage_return = '\r';
constexpr char end_of_text = '\x1a';  // Ctrl-Z

// True if any byte of [data, data + size) is NUL, CR or Ctrl-Z, the bytes that
// need the careful path. Eight bytes at a time: for a word x, (x - 0x01..) &
// ~x & 0x80.. is non-zero exactly when some byte of x is zero.
bool has_special_byte(const char* data, std::size_t size)
{
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const auto has_zero = [](std::uint64_t x) { return (x - ones) & ~x & highs; };
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if (has_zero(word) | has_zero(word ^ (ones * 0x0d)) | has_zero(word ^ (ones * 0x1a)))
            return true;
    }
    for (; i < size; ++i)
        if (data[i] == '\0' || data[i] == carriage_return || data[i] == end_of_text)
            return true;
    return false;
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
    // and holds no other special byte. It is handed on in place.
    const char* start = buffer_.data() + position_;
    const std::size_t window = std::min(filled_ - position_, max_line_characters + 1);
    if (const void* found = std::memchr(start, '\n', window)) {
        const auto newline = static_cast<const char*>(found);
        std::size_t length = static_cast<std::size_t>(newline - start);
        if (length > 0 && start[length - 1] == carriage_return)
            --length;
        if (length < max_line_characters && !has_special_byte(start, length)) {
            position_ += static_cast<std::size_t>(newline - start) + 1;
            return {Outcome::Line, {start, length}};
        }
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
