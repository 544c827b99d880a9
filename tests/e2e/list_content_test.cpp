// Lists with odd content, each run end to end against the report, the
// standard error text and the exit status it must give.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_runner.h"

namespace quorvel {
namespace {

using namespace std::string_literals;

const std::string base = "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,One,P,B,F\r\n";
const std::string footer = "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";

struct Case {
    const char* what;
    std::string old_list;
    std::string new_list;
    std::vector<std::string> lines;  // the report's lines between header and footer
    std::string standard_error;      // after the banner
    int status = 0;
};

std::string summary(int old_entries, int compared)
{
    return std::to_string(old_entries) + " old entries with " + std::to_string(compared) +
           " entries compared\n";
}

std::string too_long(int line)
{
    return "Error: Line " + std::to_string(line) + " (NEW) exceeds 255 characters!\nProgram terminates!\n";
}

void expect_reports(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        test::write_file(dir / "OLD", c.old_list);
        test::write_file(dir / "NEW", c.new_list);
        const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.standard_error, test::banner + c.standard_error);
        std::string expected = "\r\nComparing OLD and NEW:\r\n\r\n";
        for (const std::string& line : c.lines)
            expected += line + "\r\n";
        if (c.status == 0)
            expected += footer;
        EXPECT_EQ(test::read_file(dir / "OUT"), expected);
    }
}

TEST(ListContent, OddContentGivesItsReport)
{
    const std::vector<Case> cases = {
        {"an unknown keyword: the number is read from the keyword's letters",
         base, base + "Boss,2:2433/7,Sys,Town,Sysop_X,P,B,F\r\n",
         {"2:2433/0      (under 2:2433/0): Host to ./. (Town)"}, summary(3, 4)},
        {"too few fields", base, base + ",1,N,L,One\r\n,5\r\n",
         {"2:2433/5      (under 2:2433/0): New node ()"}, summary(3, 5)},
        {"blank lines count but say nothing", base,
         "\r\nZone,2,Z,L,ZS,P,B,F\r\n   \t\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,One,P,B,F\r\n", {},
         summary(3, 5)},
        {"a number past 32 bits wraps", base,
         "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,4294967297,N,L,Wrap,P,B,F\r\n",
         {"2:2433/1      (under 2:2433/0): New sysop Wrap (was: One)"}, summary(3, 3)},
        {"a negative number", base, base + ",-5,N,L,Neg,P,B,F\r\n",
         {"2:2433/-5     (under 2:2433/0): New node (Neg)"}, summary(3, 4)},
        {"bytes 0x80-0xFF are kept", base, base + ",7,N,L,J\xfcrgen_M\xfcller,P,B,F\r\n",
         {"2:2433/7      (under 2:2433/0): New node (J\xfcrgen M\xfcller)"}, summary(3, 4)},
        {"a NUL ends the line for the newline test", base, base + ",7,N,L,A\0B,P,B,F\r\n"s, {},
         too_long(4), 1},
        {"a lone CR vanishes", base,
         "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,O\rne,P,B,F\r\n", {}, summary(3, 3)},
        {"Ctrl-Z inside a line", base, base + ",6,N,\x1aL,Six\r\n", {}, too_long(4), 1},
        {"Ctrl-Z ends the list", base, base + "\x1a,6,N,L,Six\r\n", {}, summary(3, 3)},
        {"no Zone line: zone 0", "Host,2433,N,L,HS\r\n,1,N,L,One\r\n",
         "Host,2433,N,L,HS\r\n,2,N,L,Two\r\n",
         {"0:2433/2      (under 0:2433/0): New node (Two)",
          "0:2433/1      (under 0:2433/0): Lost node (was: One)"},
         summary(2, 2)},
        {"only comments", ";A one\r\n;S two\r\n", ";A\r\n", {}, summary(0, 0)},
        {"an empty old list", "", base,
         {"2:2/0         (under 2:2/0): New node (ZS)", "2:2433/0      (under 2:2433/0): New node (HS)",
          "2:2433/1      (under 2:2433/0): New node (One)"},
         summary(0, 3)},
        {"an empty new list", base, "",
         {"2:2/0         (under 2:2/0): Lost node (was: ZS)",
          "2:2433/0      (under 2:2433/0): Lost node (was: HS)",
          "2:2433/1      (under 2:2433/0): Lost node (was: One)"},
         summary(3, 0)},
    };
    expect_reports(cases);
}

TEST(ListContent, IndependentNodesShowTheirKeywordChanges)
{
    // Nodes directly under a Zone or a Region line carry the label Z-I or
    // R-I whatever their keyword; a change of keyword must still show.
    const std::string old_list =
        "Zone,1,Z,L,ZS\r\n,10,N,L,A\r\nHold,11,N,L,B\r\nHub,12,N,L,C\r\nPvt,13,N,L,D\r\n"
        "Down,14,N,L,E\r\n,15,N,L,F\r\nHold,16,N,L,G\r\n"
        "Region,11,R,L,RS\r\n,530,N,L,Sysop_Name\r\nDown,531,N,L,H\r\nHub,532,N,L,I\r\n"
        "Pvt,533,N,L,J\r\nHold,534,N,L,K\r\n,535,N,L,L\r\n"
        "Host,100,N,L,HS\r\n,1,N,L,M\r\n";
    const std::string new_list =
        "Zone,1,Z,L,ZS\r\nHold,10,N,L,A\r\n,11,N,L,B\r\nPvt,12,N,L,C\r\nDown,13,N,L,D\r\n"
        "Hub,14,N,L,E\r\n,15,N,L,F\r\nHold,16,N,L,New_Sysop\r\n"
        "Region,11,R,L,RS\r\nDown,530,N,L,Sysop_Name\r\n,531,N,L,Other\r\nHub,532,N,L,I\r\n"
        "Hold,533,N,L,J\r\nHold,534,N,L,K\r\nHub,535,N,L,L\r\n"
        "Host,100,N,L,HS\r\nDown,1,N,L,M\r\n";
    expect_reports({{"keywords changing and not under Zone and Region lines", old_list, new_list,
                     {"1:1/10        (under 1:1/0): ./. to Hold (A)",
                      "1:1/11        (under 1:1/0): Hold to ./. (B)",
                      "1:1/12        (under 1:1/0): Hub to Pvt (C)",
                      "1:1/13        (under 1:1/0): Pvt to Down (D)",
                      "1:1/14        (under 1:1/0): Down to Hub (E)",
                      "1:1/16        (under 1:1/0): New sysop New Sysop (was: G)",
                      "1:11/530      (under 1:11/0): ./. to Down (Sysop Name)",
                      "1:11/531      (under 1:11/0): Down to ./. (Other)",
                      "1:11/533      (under 1:11/0): Pvt to Hold (J)",
                      "1:11/535      (under 1:11/0): ./. to Hub (L)",
                      "1:100/1       (under 1:100/0): ./. to Down (M)"},
                     summary(17, 17)}});
}

TEST(ListContent, EachListIsReadFromAZeroContext)
{
    // Entries before the first Zone line, compared with themselves: nothing
    // changed. The old list's last zone must not carry over into the new list.
    const std::string before_zone =
        "Host,2433,N,L,HS\r\n,1,N,L,One\r\nZone,2,Z,L,ZS\r\nHost,2433,N,L,HS\r\n,1,N,L,One\r\n";
    expect_reports({
        {"a list starting before its Zone line, against itself", before_zone, before_zone, {},
         summary(5, 5)},
        {"an old list ending in zone 3", "Zone,3,Z,L,ZS\r\nHost,5,N,L,HS\r\n,1,N,L,One\r\n",
         "Host,5,N,L,HS\r\n,1,N,L,One\r\n",
         {"0:5/0         (under 0:5/0): New node (HS)", "0:5/1         (under 0:5/0): New node (One)",
          "3:3/0         (under 3:3/0): Lost node (was: ZS)",
          "3:5/0         (under 3:5/0): Lost node (was: HS)",
          "3:5/1         (under 3:5/0): Lost node (was: One)"},
         summary(3, 2)},
        {"a node-0 line at the top is listed under nothing", "", ",0,N,L,Top\r\nHost,5,N,L,HS\r\n",
         {"0:0/0         (under ): New node (Top)", "0:5/0         (under 0:5/0): New node (HS)"},
         summary(0, 2)},
    });
}

TEST(ListContent, NamesCannotBreakTheReportOrDriveATerminal)
{
    expect_reports({{"a CR kept by CR CR LF, an escape sequence, a tab", base,
                     base + ",6,N,L,Six\r\r\n,7,N,L,Esc\x1b[31m_Red\x07,P\r\n,8,N,L,Tab\tbed,P\r\n",
                     {"2:2433/6      (under 2:2433/0): New node (Six?)",
                      "2:2433/7      (under 2:2433/0): New node (Esc?[31m Red?)",
                      "2:2433/8      (under 2:2433/0): New node (Tab\tbed)"},
                     summary(3, 6)}});
}

}  // namespace
}  // namespace quorvel
