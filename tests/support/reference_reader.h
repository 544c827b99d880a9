#pragma once

#include <string>
#include <vector>

#include "run/list_reader.h"
#include "support/memory_streams.h"

namespace quorvel::test {

// What reading a whole input yields: each line's text, then "<no newline>"
// where the run would stop, or "<end>".
inline const std::string no_newline = "<no newline>";
inline const std::string end_of_list = "<end>";

// The DOS text rules taken one byte at a time, as plainly as they can be
// written: the model the list reader's fast paths are checked against.
inline std::vector<std::string> read_by_reference(const std::string& bytes)
{
    std::vector<std::string> seen;
    std::string line;
    std::size_t i = 0;
    for (;;) {
        int c = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : -1;
        if (c == '\r')
            c = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : -1;
        if (c == -1 || c == 0x1a) {
            seen.push_back(line.empty() ? end_of_list : no_newline);
            return seen;
        }
        if (c == '\n') {
            seen.push_back(line);
            line.clear();
            continue;
        }
        if (c == 0) {
            seen.push_back(no_newline);
            return seen;
        }
        line += static_cast<char>(c);
        if (line.size() == ListReader::max_line_characters) {
            seen.push_back(no_newline);
            return seen;
        }
    }
}

// The same through the list reader, the input handed over in pieces of at
// most piece_size bytes.
inline std::vector<std::string> read_with_list_reader(const std::string& bytes,
                                                      std::size_t piece_size)
{
    MemoryInput input(bytes, piece_size);
    ListReader reader(input);
    std::vector<std::string> seen;
    for (;;) {
        const ListReader::Result result = reader.next();
        if (result.outcome == ListReader::Outcome::End) {
            seen.push_back(end_of_list);
            return seen;
        }
        if (result.outcome == ListReader::Outcome::NoNewline) {
            seen.push_back(no_newline);
            return seen;
        }
        seen.emplace_back(result.text);
    }
}

}  // namespace quorvel::test
