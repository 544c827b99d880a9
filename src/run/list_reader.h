#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "run/platform.h"

namespace quorvel {

// Reads a list as DOS text, line by line, with the rules done here on bytes
// rather than left to a platform's text mode:
// - a carriage return is dropped and the byte after it is taken in its place
//   without looking for a further carriage return (CR CR LF reads as CR and
//   newline; a lone CR vanishes);
// - Ctrl-Z ends the file, also right after a carriage return;
// - every other byte, 0x80-0xFF included, is data, though a NUL ends the
//   line for the newline test;
// - a line is taken whole only if its newline comes within 254 characters
//   (carriage returns not counted), so at most 253 characters precede it.
// A line without its newline within that limit, one holding a NUL or a last
// line without newline is NoNewline: the run stops on it. A read error ends
// the file; its number is kept in error().
class ListReader {
public:
    enum class Outcome { Line, NoNewline, End };
    struct Result {
        Outcome outcome;
        std::string_view text;  // for Line: the line without its newline
    };

    static constexpr std::size_t max_line_characters = 254;  // newline included

    explicit ListReader(InputStream& source);

    // The returned text is valid until the next call.
    Result next();

    // The number of the read error that ended the file, 0 if none did.
    std::int32_t error() const { return error_; }

private:
    static constexpr int end_of_file = -1;

    int next_byte();
    bool refill();
    Result next_slowly();

    InputStream& source_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    bool ended_ = false;
    std::int32_t error_ = 0;
    std::array<char, max_line_characters> line_{};
};

}  // namespace quorvel
