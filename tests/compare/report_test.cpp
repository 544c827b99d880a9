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
    const Classification added{ChangeKind::NewNode, Status::NN, {}};
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
    const NodelistEntry plain = entry_of({2, 2433, 2}, {2, 2433, 0}, Status::NN, "Sysop Two");
    EXPECT_EQ(line_for({ChangeKind::StatusChanged, Status::Hold, {}}, plain),
              "2:2433/2      (under 2:2433/0): Hold to ./. (Sysop Two)\r\n");
    const NodelistEntry pvt = entry_of({2, 2433, 2}, {2, 2433, 100}, Status::Pvt, "Sysop Two");
    EXPECT_EQ(line_for({ChangeKind::StatusChanged, Status::NN, {}}, pvt),
              "2:2433/2      (under 2:2433/100): ./. to Pvt (Sysop Two)\r\n");
    const NodelistEntry zi = entry_of({2, 2, 20}, {2, 2, 0}, Status::ZI, "Z");
    EXPECT_EQ(line_for({ChangeKind::StatusChanged, Status::Down, {}}, zi),
              "2:2/20        (under 2:2/0): Down to Z-I (Z)\r\n");
    EXPECT_EQ(line_for({ChangeKind::SysopChanged, Status::NN, "Sysop_Three"}, plain),
              "2:2433/2      (under 2:2433/0): New sysop Sysop Two (was: Sysop Three)\r\n");
    EXPECT_EQ(line_for({ChangeKind::Unchanged, Status::NN, {}}, plain), "");
}

TEST(Report, ShowsALostNodeWithItsOldUnderText)
{
    std::string out;
    report_lost(out, {{2, 2433, 1}, {2, 2433, 100}, Status::NN, "Sysop_One"});
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
}

}  // namespace
}  // namespace quorvel
