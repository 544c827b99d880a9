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

TEST(BadContent, EachListGivesItsReport)
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
        {"CR CR LF keeps one CR", base, base + ",6,N,L,Six\r\r\n",
         {"2:2433/6      (under 2:2433/0): New node (Six\r)"}, summary(3, 4)},
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

}  // namespace
}  // namespace quorvel
