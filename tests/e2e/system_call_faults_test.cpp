// The real program with faults injected into its system calls (see
// tests/faults/system_call_faults.cpp): reads that fail part-way, calls
// interrupted by a signal, short and empty writes, a failing close. Each
// checks the report's bytes, the standard error's bytes, the exit status and
// both lists afterwards.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fault_lists.h"
#include "support/temp_dir.h"
#include "support/tool_runner.h"

namespace quorvel {
namespace {

using test::banner;

using namespace test::fault_lists;

// Bytes up to the end of a list's n-th line.
std::size_t after_lines(const std::string& list, int lines)
{
    std::size_t end = 0;
    for (int i = 0; i < lines; ++i)
        end = list.find('\n', end) + 1;
    return end;
}

struct Case {
    const char* what;
    std::string fault;  // QUORVEL_FAULT
    int status;
    std::string standard_error;  // after the banner
    std::string report;          // the report left on disk
};

TEST(SystemCallFaults, EachFaultEndsAsItMust)
{
    const std::string read_fails_in_old = "OLD:read-eio:" + std::to_string(after_lines(old_list, 2));
    const std::string read_fails_in_new = "NEW:read-eio:" + std::to_string(after_lines(new_list, 3));
    const std::vector<Case> cases = {
        {"a read of the old list fails part-way", read_fails_in_old, test::status_minus_one,
         io_error(-1), "<none>"},
        // The pass ends at the failed read; the lines so far are kept, and
        // no lost line is written.
        {"a read of the new list fails part-way", read_fails_in_new, test::status_minus_one,
         io_error(-1), header + changed},
        {"a read fails inside a line: the line has no newline", "NEW:read-eio:30", 1,
         "Error: Line 2 (NEW) exceeds 255 characters!\nProgram terminates!\n", header},
        {"reads of the old list interrupted", "OLD:eintr", 0, summary, report},
        {"reads of the new list interrupted", "NEW:eintr", 0, summary, report},
        {"writes of the report interrupted", "OUT:eintr", 0, summary, report},
        {"writes of standard error interrupted", "stderr:eintr", 0, summary, report},
        {"short writes of the report", "OUT:short-write:7", 0, summary, report},
        {"short writes of standard error", "stderr:short-write:5", 0, summary, report},
        {"a write of the report that takes nothing", "OUT:write-zero", 12, io_error(12), ""},
        {"a failing close of the report", "OUT:close-eio", test::status_minus_one, io_error(-1),
         report},
        {"a failing close of the old list", "OLD:close-eio", test::status_minus_one, io_error(-1),
         "<none>"},
        // The report's name comes to lead to the new list after the tool has
        // looked at it: the open itself is checked again.
        {"the report becomes the new list just before its open", "OUT:become:NEW",
         test::status_minus_one, io_error(-1), "<new list>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " (" + c.fault + ")");
        const test::TempDir dir;
        test::write_file(dir / "OLD", old_list);
        test::write_file(dir / "NEW", new_list);
        test::ToolOptions options;
        options.environment = {"LD_PRELOAD=" QUORVEL_FAULT_LIBRARY, "QUORVEL_FAULT=" + c.fault,
                               "ASAN_OPTIONS=verify_asan_link_order=0"};
        const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"}, options);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.standard_error, banner + c.standard_error);
        if (c.report == "<none>") {
            EXPECT_FALSE(std::filesystem::exists(dir / "OUT"));
        } else if (c.report == "<new list>") {
            EXPECT_EQ(test::read_file(dir / "OUT"), new_list);
        } else {
            EXPECT_EQ(test::read_file(dir / "OUT"), c.report);
        }
        EXPECT_EQ(test::read_file(dir / "OLD"), old_list);
        EXPECT_EQ(test::read_file(dir / "NEW"), new_list);
    }
}

}  // namespace
}  // namespace quorvel
