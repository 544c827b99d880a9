#include "nodelist/field_splitter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// What cutting a line gives: the first `count` fields by next(), then rest().
std::vector<std::string> cut(const std::string& line, std::size_t count)
{
    FieldSplitter fields(line.data(), line.data() + line.size());
    std::vector<std::string> cuts;
    for (std::size_t i = 0; i < count; ++i)
        cuts.emplace_back(fields.next());
    cuts.emplace_back(fields.rest());
    return cuts;
}

// The same, a byte at a time: a field ends at its comma, which is passed
// over; a field the line ends before its comma runs to the end of the line,
// and every field after it is empty.
std::vector<std::string> cut_by_reference(const std::string& line, std::size_t count)
{
    std::vector<std::string> cuts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = start;
        while (end < line.size() && line[end] != ',')
            ++end;
        cuts.push_back(line.substr(start, end - start));
        start = end < line.size() ? end + 1 : line.size();
    }
    cuts.push_back(line.substr(start));
    return cuts;
}

TEST(FieldSplitter, CutsFieldsAtTheEdgesOfItsWindows)
{
    // Commas are found 64 bytes at a time.
    const std::string x63(63, 'x');
    const std::string x64(64, 'x');
    struct Case {
        const char* what;
        std::string line;
        std::vector<std::string> cuts;  // two fields, then the rest
    };
    const std::vector<Case> cases = {
        {"no comma", "abc", {"abc", "", ""}},
        {"empty fields", ",,,", {"", "", ","}},
        {"a comma at 63", x63 + ",b,c", {x63, "b", "c"}},
        {"a comma at 64", x64 + ",b,c", {x64, "b", "c"}},
        {"a comma at 65", x64 + "y,b,c", {x64 + "y", "b", "c"}},
        {"a comma as the 64th and last byte", x63 + ",", {x63, "", ""}},
        {"a comma as the 65th and last byte", x64 + ",", {x64, "", ""}},
        {"64 bytes without a comma", x64, {x64, "", ""}},
        {"the next comma two windows on", "a," + std::string(130, 'y') + ",z",
         {"a", std::string(130, 'y'), "z"}},
        {"commas at 127 and 128", x63 + x64 + ",,t", {x63 + x64, "", "t"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(cut(c.line, 2), c.cuts);
    }
}

// Random lines with commas at and around the 64-byte window edges, against
// the byte-by-byte reference, taking from none to ten fields before the rest.
TEST(FieldSplitter, AgreesWithTheByteByByteReferenceOnRandomLines)
{
    std::mt19937 random(20261211);
    const auto below = [&random](std::size_t n) { return std::size_t{random()} % n; };
    for (int round = 0; round < 4000; ++round) {
        // Sparse commas leave whole windows without one.
        const std::size_t comma_odds = std::vector<std::size_t>{4, 16, 200, 100000}[below(4)];
        std::string line(below(300), 'a');
        for (char& c : line)
            c = below(comma_odds) == 0 ? ',' : static_cast<char>(0x20 + below(0xe0));
        for (std::size_t k = below(6); k > 0 && !line.empty(); --k) {
            const std::size_t at = std::min(64 * (1 + below(4)) + below(3) - 1, line.size() - 1);
            line[at] = ',';
        }
        const std::size_t count = below(11);
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(cut(line, count), cut_by_reference(line, count));
    }
}

}  // namespace
}  // namespace quorvel
