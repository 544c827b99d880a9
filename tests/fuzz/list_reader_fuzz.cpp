// The list reader on arbitrary bytes, handed over in pieces of arbitrary
// size, against a plain model of the DOS text rules taken one byte at a time.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "run/list_reader.h"
#include "support/memory_streams.h"

namespace {

const std::string no_newline = "<no newline>";
const std::string end = "<end>";

std::vector<std::string> model(const std::string& bytes)
{
    std::vector<std::string> seen;
    std::string line;
    std::size_t i = 0;
    for (;;) {
        int c = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : -1;
        if (c == '\r')
            c = i < bytes.size() ? static_cast<unsigned char>(bytes[i++]) : -1;
        if (c == -1 || c == 0x1a) {
            seen.push_back(line.empty() ? end : no_newline);
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
        if (line.size() == 254) {
            seen.push_back(no_newline);
            return seen;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64 * (data[0] >= 128 ? 1024 : 1);
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    quorvel::test::MemoryInput input(bytes, piece);
    quorvel::ListReader reader(input);
    std::vector<std::string> seen;
    for (;;) {
        const quorvel::ListReader::Result result = reader.next();
        if (result.outcome == quorvel::ListReader::Outcome::End) {
            seen.push_back(end);
            break;
        }
        if (result.outcome == quorvel::ListReader::Outcome::NoNewline) {
            seen.push_back(no_newline);
            break;
        }
        seen.emplace_back(result.text);
    }
    if (seen != model(bytes))
        std::abort();
    return 0;
}
