#include "run/list_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_streams.h"

namespace quorvel {
namespace {

using namespace std::string_literals;

// What a reader yields for a whole input: each line's text, then "<no
// newline>" if the run would stop there, or "<end>".
std::vector<std::string> read_all(const std::string& bytes, std::size_t piece_size)
{
    test::MemoryInput input(bytes, piece_size);
    ListReader reader(input);
    std::vector<std::string> seen;
    for (;;) {
        const ListReader::Result result = reader.next();
        if (result.outcome == ListReader::Outcome::End) {
            seen.push_back("<end>");
            break;
        }
        if (result.outcome == ListReader::Outcome::NoNewline) {
            seen.push_back("<no newline>");
            break;
        }
        seen.emplace_back(result.text);
    }
    return seen;
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
