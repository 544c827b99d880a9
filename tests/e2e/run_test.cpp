// End-to-end runs of the built program: exact standard error bytes, exit
// status, and what is on disk afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_runner.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::banner;

const std::string small_old = "Zone,2,Z,L,S,P,B,F\r\nHost,2433,N,L,S,P,B,F\r\n,1,N,L,Sysop_One,P,B,F\r\n";
const std::string small_new = "Zone,2,Z,L,S,P,B,F\r\nHost,2433,N,L,S,P,B,F\r\n,1,N,L,Sysop_One,P,B,F\r\n";

struct Case {
    const char* what;
    std::map<std::string, std::string> files;  // created before the run
    std::vector<std::string> arguments;
    int status;
    std::string standard_error;          // after the banner
    std::vector<std::string> absent;     // must not exist afterwards
};

// File-system faults have their own table, in fault_matrix_test.cpp.
TEST(EndToEnd, ArgumentsAndBrokenLinesEndWithTheirMessageAndStatus)
{
    const std::string usage =
        "Aufruf:   QUORVEL NetWork-File(old) NetWork-File(new) Output\n"
        "Beispiel: QUORVEL NET2433.159       NET2433.166       NET2433.DIF\n";
    const std::vector<Case> cases = {
        {"no arguments", {}, {}, 1, usage, {}},
        {"four arguments", {{"OLD", small_old}, {"NEW", small_new}}, {"OLD", "NEW", "OUT", "X"}, 1,
         usage, {"OUT", "X"}},
        {"a complete run", {{"OLD", small_old}, {"NEW", small_new}}, {"OLD", "NEW", "OUT"}, 0,
         "3 old entries with 3 entries compared\n", {}},
        {"an over-long comment line in the old list",
         {{"OLD", ";A\r\n;S " + std::string(300, 's') + "\r\n"}, {"NEW", small_new}},
         {"OLD", "NEW", "OUT"}, 1,
         "Error: Line 2 (OLD) exceeds 255 characters!\nProgram terminates!\n", {"OUT"}},
        {"new list without a final newline", {{"OLD", small_old}, {"NEW", small_new + ",2"}},
         {"OLD", "NEW", "OUT"}, 1,
         "Error: Line 4 (NEW) exceeds 255 characters!\nProgram terminates!\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        for (const auto& [name, bytes] : c.files)
            test::write_file(dir / name, bytes);
        const test::ToolRun run = test::run_tool(dir.path(), c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.standard_error, banner + c.standard_error);
        EXPECT_EQ(run.standard_output, "");
        for (const auto& [name, bytes] : c.files)
            EXPECT_EQ(test::read_file(dir / name), bytes) << name << " was changed";
        for (const std::string& name : c.absent)
            EXPECT_FALSE(fs::exists(dir / name)) << name;
    }
}

std::string header_and_footer(const std::string& old_name, const std::string& new_name)
{
    return "\r\nComparing " + old_name + " and " + new_name +
           ":\r\n\r\n\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";
}

TEST(EndToEnd, WritesTheExampleReport)
{
    const test::TempDir dir;
    const test::ToolRun run =
        test::run_tool(QUORVEL_EXAMPLES, {"NET2433.159", "NET2433.166", (dir / "OUT").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "5 old entries with 5 entries compared\n");
    EXPECT_EQ(run.standard_output, "");
    EXPECT_EQ(test::read_file(dir / "OUT"), test::read_file(fs::path(QUORVEL_TESTDATA) / "NET2433.DIF"));
}

TEST(EndToEnd, ReportsNothingForTheSameListTwice)
{
    const test::TempDir dir;
    test::write_file(dir / "LIST", small_old);
    const test::ToolRun run = test::run_tool(dir.path(), {"LIST", "LIST", "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3 old entries with 3 entries compared\n");
    EXPECT_EQ(test::read_file(dir / "OUT"), header_and_footer("LIST", "LIST"));
}

TEST(EndToEnd, CountsEntriesNotComments)
{
    const test::TempDir dir;
    std::string old_list = small_old;
    for (int i = 0; i < 10; ++i)
        old_list += ";S comment\r\n";
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", small_new + ",2,N,L,Sysop_Two,P,B,F\r\n");
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3 old entries with 4 entries compared\n");
    EXPECT_EQ(test::read_file(dir / "OUT"),
              "\r\nComparing OLD and NEW:\r\n\r\n"
              "2:2433/2      (under 2:2433/0): New node (Sysop Two)\r\n"
              "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n");
}

TEST(EndToEnd, HoldsOldListsOfMoreThan5500Entries)
{
    // 7000 nodes in 70 nets; the new list drops node 6900, gives node 6950 a
    // new sysop and adds one node at the end.
    std::string old_list = "Zone,1,Z,L,Zone_Sysop,P,B,F\r\n";
    std::string new_list = old_list;
    for (int net = 100; net < 170; ++net) {
        const std::string host = "Host," + std::to_string(net) + ",N,L,Host_Sysop,P,B,F\r\n";
        old_list += host;
        new_list += host;
        for (int node = 1; node <= 100; ++node) {
            const int number = (net - 100) * 100 + node - 1;
            const std::string line = "," + std::to_string(node) + ",N,L,Sysop_" +
                                     std::to_string(number) + ",P,B,F\r\n";
            old_list += line;
            if (number == 6950)
                new_list += "," + std::to_string(node) + ",N,L,Someone_Else,P,B,F\r\n";
            else if (number != 6900)
                new_list += line;
        }
    }
    new_list += ",101,N,L,Newcomer,P,B,F\r\n";
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", new_list);
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "7071 old entries with 7071 entries compared\n");
    EXPECT_EQ(test::read_file(dir / "OUT"),
              "\r\nComparing OLD and NEW:\r\n\r\n"
              "1:169/51      (under 1:169/0): New sysop Someone Else (was: Sysop 6950)\r\n"
              "1:169/101     (under 1:169/0): New node (Newcomer)\r\n"
              "1:169/1       (under 1:169/0): Lost node (was: Sysop 6900)\r\n"
              "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n");
}

TEST(EndToEnd, WritesReportsLargerThanItsBuffer)
{
    // 3,000 lost nodes make a report of about 180 KB, written in pieces.
    std::string old_list = "Zone,1,Z,L,Zone_Sysop\r\nHost,100,N,L,Host_Sysop\r\n";
    std::string lines;
    for (int node = 1; node <= 3000; ++node) {
        old_list += "," + std::to_string(node) + ",N,L,Sysop_" + std::to_string(node) + "\r\n";
        const std::string address = "1:100/" + std::to_string(node);
        lines += address + std::string(13 - address.size(), ' ') +
                 " (under 1:100/0): Lost node (was: Sysop " + std::to_string(node) + ")\r\n";
    }
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", "Zone,1,Z,L,Zone_Sysop\r\nHost,100,N,L,Host_Sysop\r\n");
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3002 old entries with 2 entries compared\n");
    const std::string report = test::read_file(dir / "OUT");
    EXPECT_GT(report.size(), 2u * 65536);
    EXPECT_EQ(report, "\r\nComparing OLD and NEW:\r\n\r\n" + lines +
                          "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n");
}

#ifdef _WIN32
TEST(EndToEnd, OpensNamesOutsideTheAnsiCodePage)
{
    // "altä.nl" fits the ANSI code page, "新.nl" does not; the report shows
    // both in the ANSI code page, as it always has.
    const std::string ansi_name = "alt\xc3\xa4.nl";
    const std::string other_name = "\xe6\x96\xb0.nl";
    const auto path_of = [](const std::string& utf8) {
        return fs::path(std::u8string(utf8.begin(), utf8.end()));
    };
    const test::TempDir dir;
    test::write_file(dir.path() / path_of(ansi_name), small_old);
    test::write_file(dir.path() / path_of(other_name), small_new + ",2,N,L,Sysop_Two,P,B,F\r\n");
    const test::ToolRun run = test::run_tool(dir.path(), {ansi_name, other_name, "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3 old entries with 4 entries compared\n");
    const std::string report = test::read_file(dir / "OUT");
    EXPECT_TRUE(report.ends_with("2:2433/2      (under 2:2433/0): New node (Sysop Two)\r\n"
                                 "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n"));
    if (GetACP() == 1252) {
        EXPECT_TRUE(report.starts_with("\r\nComparing alt\xe4.nl and ?.nl:\r\n\r\n")) << report;
    }
}
#else
TEST(EndToEnd, WritesTheReportToADevice)
{
    const test::TempDir dir;
    test::write_file(dir / "OLD", small_old);
    test::write_file(dir / "NEW", small_new);
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "/dev/null"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3 old entries with 3 entries compared\n");
}
#endif

}  // namespace
}  // namespace quorvel
