#include "run/list_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/memory_streams.h"
#include "support/reference_reader.h"

namespace quorvel {
namespace {

using namespace std::string_literals;

std::vector<std::string> read_all(const std::string& bytes, std::size_t piece_size)
{
    return test::read_with_list_reader(bytes, piece_size);
}

struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> expected;
};

TEST(ListReader, ReadsDosTextByTheTextModeRules)
{
    const std::string longest(253, 'x');
    const std::string too_long(254, 'x');
    std::string lone_crs_before_each;
    for (char c : longest)
        lone_crs_before_each += std::string("\r") + c;
    const std::vector<Case> cases = {
        {"LF and CR LF line ends", "a,1\nb,2\r\n", {"a,1", "b,2", "<end>"}},
        {"empty file", "", {"<end>"}},
        {"Ctrl-Z after the last line", "a\r\nb\r\n\x1a", {"a", "b", "<end>"}},
        {"nothing after Ctrl-Z is read", "a\r\n\x1a" "b\r\n", {"a", "<end>"}},
        {"Ctrl-Z right after a CR", "a\r\n\r\x1a", {"a", "<end>"}},
        {"Ctrl-Z inside a line", "a\r\nbc\x1a" "d\r\n", {"a", "<no newline>"}},
        {"a lone CR vanishes", "a\rb\r\n", {"ab", "<end>"}},
        {"CR CR LF keeps one CR", "a\r\r\nb\n", {"a\r", "b", "<end>"}},
        {"CR at the very end is dropped", "a\n\r", {"a", "<end>"}},
        {"last line without newline", "a\nb", {"a", "<no newline>"}},
        {"last line ends in CR only", "a\nb\r", {"a", "<no newline>"}},
        {"NUL ends a line for the newline test", "a\nb\0c\n"s, {"a", "<no newline>"}},
        {"bytes 0x80-0xFF are data", "\x80\xff,\xc4\n", {"\x80\xff,\xc4", "<end>"}},
        {"empty lines", "\n\r\n", {"", "", "<end>"}},
        {"253 characters are accepted", longest + "\r\n", {longest, "<end>"}},
        {"254 characters are refused", "a\n" + too_long + "\r\n", {"a", "<no newline>"}},
        {"254 without CR LF too", too_long + "\n", {"<no newline>"}},
        {"CRs do not count toward the limit", lone_crs_before_each + "\r\n", {longest, "<end>"}},
    };
    for (const Case& c : cases) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
            SCOPED_TRACE(std::string(c.what) + ", read in pieces of " + std::to_string(piece));
            EXPECT_EQ(read_all(c.bytes, piece), c.expected);
        }
    }
}

TEST(ListReader, ReadsLinesAcrossItsBufferEnds)
{
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 5000; ++i) {
        std::string line = "," + std::to_string(i) + ",Sys_" + std::string(static_cast<std::size_t>(i % 97), 'n');
        bytes += line + (i % 3 == 0 ? "\n" : "\r\n");
        expected.push_back(line);
    }
    expected.push_back("<end>");
    EXPECT_EQ(read_all(bytes, 1 << 20), expected);
    EXPECT_EQ(read_all(bytes, 4093), expected);
}

// Valid lines of filler making up exactly length bytes: ceil(length / 101)
// lines, each ending in LF.
std::string filler(std::size_t length)
{
    std::string bytes;
    while (bytes.size() < length) {
        const std::size_t line = std::min<std::size_t>(length - bytes.size(), 101);
        bytes += std::string(line - 1, 'f') + "\n";
    }
    return bytes;
}

TEST(ListReader, ReadsTheBytesAtItsBufferAndScanEdgesRight)
{
    // The reader scans 16 bytes at a time and reads 64 KiB at a time.
    struct Edge {
        const char* what;
        std::string bytes;
        std::size_t lines;      // lines read before the end
        std::string last;       // what ends the reading
    };
    const std::size_t buffer = 65536;
    const std::vector<Edge> edges = {
        {"a newline as a buffer's last byte", filler(buffer - 4) + "abc\nd\n", 651, test::end_of_list},
        {"a CR ending one buffer, its LF starting the next", filler(buffer - 4) + "abc\r\nd\n", 651,
         test::end_of_list},
        {"a lone CR ending a buffer", filler(buffer - 4) + "abc\rd\n", 650, test::end_of_list},
        {"Ctrl-Z as the next buffer's first byte", filler(buffer) + "\x1a" "abc\n", 649,
         test::end_of_list},
        {"a NUL at a line's 16th byte", std::string(16, 'x') + '\0' + "\n", 0, test::no_newline},
        {"a CR at a line's 16th byte, LF after it", std::string(16, 'x') + "\r\n", 1,
         test::end_of_list},
        {"a list over two buffers whose last line has no newline",
         filler(2 * buffer + 100) + "last", 1299, test::no_newline},
        {"a short last read after full buffers of newlines", std::string(2 * buffer, '\n') + "x",
         2 * buffer, test::no_newline},
    };
    for (const Edge& edge : edges) {
        for (const std::size_t piece : {std::size_t{1} << 20, buffer - 1, std::size_t{4093}}) {
            SCOPED_TRACE(std::string(edge.what) + ", pieces of " + std::to_string(piece));
            const std::vector<std::string> seen = read_all(edge.bytes, piece);
            EXPECT_EQ(seen.size(), edge.lines + 1);
            EXPECT_EQ(seen.back(), edge.last);
            EXPECT_EQ(seen, test::read_by_reference(edge.bytes));
        }
    }
}

// Random lists with the bytes that matter (LF, CR, Ctrl-Z, NUL, comma, tab)
// put at and around the edges of the reader's 16-byte scan and 64 KiB buffer,
// read in pieces of several sizes, against the byte-by-byte reference.
TEST(ListReader, AgreesWithTheByteByByteReferenceOnRandomLists)
{
    std::mt19937 random(20261211);
    const auto below = [&random](std::size_t n) { return std::size_t{random()} % n; };
    // Lines of 254 characters or more stop the reading, so they are rare:
    // most lists must run on past the edges.
    const std::vector<std::size_t> line_lengths = {0, 1, 14, 15, 16, 17, 18, 31, 32, 33,
                                                   63, 64, 65, 252, 253};
    const std::string specials = std::string("\n\r\r\r,,\t\x1a") + '\0';
    const std::vector<std::size_t> list_lengths = {0, 40, 300, 4000, 65530, 65536, 65541,
                                                   131072, 140000, 200000};
    for (int round = 0; round < 240; ++round) {
        const std::size_t length = list_lengths[below(list_lengths.size())] + below(8);
        std::string bytes;
        while (bytes.size() < length) {
            const std::size_t line = below(5000) == 0 ? 254
                                     : below(2) == 0  ? line_lengths[below(line_lengths.size())]
                                                      : below(120);
            for (std::size_t i = 0; i < line; ++i)
                bytes += static_cast<char>(below(4) == 0 ? 0x80 + below(128) : 0x20 + below(95));
            bytes += below(3) == 0 ? "\n" : "\r\n";
        }
        bytes.resize(length);  // the last line may lose its newline
        // A few special bytes at the buffer edges, and around 16-byte steps.
        for (std::size_t k = below(4); k > 0 && !bytes.empty(); --k) {
            const std::size_t edge = below(2) == 0 ? 65536 * (1 + below(3)) : 16 * below(4096);
            const std::size_t at = std::min(edge + below(3) - 1, bytes.size() - 1);
            bytes[at] = specials[below(specials.size())];
        }
        const std::vector<std::string> expected = test::read_by_reference(bytes);
        for (const std::size_t piece :
             {std::size_t{1} << 20, std::size_t{65536}, std::size_t{65535}, std::size_t{4093},
              std::size_t{17}}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", pieces of " + std::to_string(piece));
            ASSERT_EQ(read_all(bytes, piece), expected);
        }
    }
}

TEST(ListReader, EndsTheFileAtAReadErrorAndKeepsItsNumber)
{
    test::MemoryInput input("a\nb\nc\n", 1 << 20, 4, 6);
    ListReader reader(input);
    EXPECT_EQ(reader.next().text, "a");
    EXPECT_EQ(reader.next().text, "b");
    EXPECT_EQ(reader.error(), 0);
    EXPECT_EQ(reader.next().outcome, ListReader::Outcome::End);
    EXPECT_EQ(reader.error(), 6);
    EXPECT_EQ(reader.next().outcome, ListReader::Outcome::End);

    // A read that fails inside a line leaves that line without its newline.
    test::MemoryInput broken("a\nbc", 1 << 20, 3, 6);
    ListReader broken_reader(broken);
    EXPECT_EQ(broken_reader.next().text, "a");
    EXPECT_EQ(broken_reader.next().outcome, ListReader::Outcome::NoNewline);
    EXPECT_EQ(broken_reader.error(), 6);
}

}  // namespace
}  // namespace quorvel
