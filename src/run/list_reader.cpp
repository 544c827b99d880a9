#include "run/list_reader.h"

#include <algorithm>

#include "nodelist/byte_masks.h"

namespace quorvel {

namespace {

constexpr std::size_t read_size = 64 * 1024;
constexpr char carriage_return = '\r';
constexpr char end_of_text = '\x1a';  // Ctrl-Z

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
    for (const char* p = find_first<ControlBytes>(start, limit); p != limit;
         p = find_first<ControlBytes>(p + 1, limit)) {
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
