#include "compare/report.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

NodelistEntry entry_of(Address address, Address under, Status status, std::string_view sysop)
{
    NodelistEntry entry;
    entry.context.address = address;
    entry.context.under = under;
    entry.status = status;
    entry.sysop = sysop;
    return entry;
}

std::string line_for(const Classification& change, const NodelistEntry& entry)
{
    std::string out;
    report_entry(out, change, entry);
    return out;
}

TEST(Report, PadsTheAddressToThirteenCharactersButNeverCutsIt)
{
    const Classification added{ChangeKind::NewNode, Status::NN, Status::NN, {}};
    // 12, 13 and 14 characters.
    EXPECT_EQ(line_for(added, entry_of({2, 2433, 1234}, {2, 2433, 0}, Status::NN, "A_B")),
              "2:2433/1234   (under 2:2433/0): New node (A B)\r\n");
    EXPECT_EQ(line_for(added, entry_of({2, 24330, 1234}, {2, 24330, 0}, Status::NN, "A")),
              "2:24330/1234  (under 2:24330/0): New node (A)\r\n");
    EXPECT_EQ(line_for(added, entry_of({21, 24330, 1234}, {21, 24330, 0}, Status::NN, "A")),
              "21:24330/1234 (under 21:24330/0): New node (A)\r\n");
    EXPECT_EQ(line_for(added, entry_of({21, 24330, 12345}, {21, 24330, 0}, Status::NN, "A")),
              "21:24330/12345 (under 21:24330/0): New node (A)\r\n");
}

TEST(Report, WritesEachKindOfChange)
{
    using enum ChangeKind;
    const NodelistEntry plain = entry_of({2, 2433, 2}, {2, 2433, 0}, Status::NN, "Sysop Two");
    EXPECT_EQ(line_for({StatusChanged, Status::Hold, Status::NN, {}}, plain),
              "2:2433/2      (under 2:2433/0): Hold to ./. (Sysop Two)\r\n");
    const NodelistEntry pvt = entry_of({2, 2433, 2}, {2, 2433, 100}, Status::Pvt, "Sysop Two");
    EXPECT_EQ(line_for({StatusChanged, Status::NN, Status::Pvt, {}}, pvt),
              "2:2433/2      (under 2:2433/100): ./. to Pvt (Sysop Two)\r\n");
    const NodelistEntry zi = entry_of({2, 2, 20}, {2, 2, 0}, Status::ZI, "Z");
    EXPECT_EQ(line_for({StatusChanged, Status::Down, Status::ZI, {}}, zi),
              "2:2/20        (under 2:2/0): Down to Z-I (Z)\r\n");
    // An independent node that kept its label shows the statuses of its keywords.
    const NodelistEntry ri = entry_of({1, 11, 530}, {1, 11, 0}, Status::RI, "Sysop_Name");
    EXPECT_EQ(line_for({StatusChanged, Status::NN, Status::Down, {}}, ri),
              "1:11/530      (under 1:11/0): ./. to Down (Sysop Name)\r\n");
    EXPECT_EQ(line_for({SysopChanged, Status::NN, Status::NN, "Sysop_Three"}, plain),
              "2:2433/2      (under 2:2433/0): New sysop Sysop Two (was: Sysop Three)\r\n");
    EXPECT_EQ(line_for({Unchanged, Status::NN, Status::NN, {}}, plain), "");
    // Before a list's first coordinator line a node is listed under nothing.
    NodelistEntry first = entry_of({0, 0, 0}, {}, Status::NN, "S");
    first.context.under = std::nullopt;
    EXPECT_EQ(line_for({NewNode, Status::NN, Status::NN, {}}, first),
              "0:0/0         (under ): New node (S)\r\n");
}

TEST(Report, WritesControlBytesOfNamesAsQuestionMarks)
{
    // A CR, an escape sequence and every other control byte but tab would
    // break the report's lines or drive a terminal; 0x80-0xFF are letters.
    const NodelistEntry entry =
        entry_of({2, 2433, 2}, {2, 2433, 0}, Status::NN, "Evil\r\x1b[2J\x01_\x1f\tTab\x7f\xe4");
    EXPECT_EQ(line_for({ChangeKind::SysopChanged, Status::NN, Status::NN, "Was\r\n\x1b"}, entry),
              "2:2433/2      (under 2:2433/0): New sysop Evil??[2J? ?\tTab\x7f\xe4 (was: Was\?\?\?)\r\n");
    EXPECT_EQ(line_for({ChangeKind::NewNode, Status::NN, Status::NN, {}}, entry),
              "2:2433/2      (under 2:2433/0): New node (Evil??[2J? ?\tTab\x7f\xe4)\r\n");
    std::string lost;
    report_lost(lost, {{2, 2433, 1}, Address{2, 2433, 0}, Status::NN, Status::NN, "A\rB"});
    EXPECT_EQ(lost, "2:2433/1      (under 2:2433/0): Lost node (was: A?B)\r\n");
}

TEST(Report, ShowsALostNodeWithItsOldUnderText)
{
    std::string out;
    report_lost(out, {{2, 2433, 1}, Address{2, 2433, 100}, Status::NN, Status::NN, "Sysop_One"});
    EXPECT_EQ(out, "2:2433/1      (under 2:2433/100): Lost node (was: Sysop One)\r\n");
}

TEST(Report, FramesTheLinesWithHeaderAndFooter)
{
    std::string out;
    report_header(out, "NET2433.159", "dir/NET2433.166");
    report_footer(out);
    EXPECT_EQ(out,
              "\r\nComparing NET2433.159 and dir/NET2433.166:\r\n\r\n"
              "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n");

    // A line feed in a file name ends a line of the report like any other.
    out.clear();
    report_header(out, "a\nb", "c\n");
    EXPECT_EQ(out, "\r\nComparing a\r\nb and c\r\n:\r\n\r\n");
}

}  // namespace
}  // namespace quorvel
