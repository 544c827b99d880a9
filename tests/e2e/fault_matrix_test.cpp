// Every way a run can fail on the file system: the exact message, the exit
// status, what is on disk afterwards, and both lists left byte for byte as
// they were.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_runner.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::banner;

const std::string old_list = "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,One,P,B,F\r\n";
const std::string new_list = "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,2,N,L,Two,P,B,F\r\n";
const std::string report =
    "\r\nComparing OLD and NEW:\r\n\r\n"
    "2:2433/2      (under 2:2433/0): New node (Two)\r\n"
    "2:2433/1      (under 2:2433/0): Lost node (was: One)\r\n"
    "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";

std::string io_error(int number)
{
    return "I/O-Fehler " + std::to_string(number) + " occured -> program end.\n";
}

struct Fault {
    const char* what;
    std::function<void(const fs::path&)> prepare;  // after OLD and NEW are written
    std::vector<std::string> arguments;
    int status;
    std::string standard_error;  // after the banner
    std::vector<std::string> absent;
};

void check(const Fault& fault, const test::ToolOptions& options = {})
{
    SCOPED_TRACE(fault.what);
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", new_list);
    if (fault.prepare)
        fault.prepare(dir.path());
    const test::ToolRun run = test::run_tool(dir.path(), fault.arguments, options);
    EXPECT_EQ(run.status, fault.status);
    EXPECT_EQ(run.standard_error, banner + fault.standard_error);
    EXPECT_EQ(run.standard_output, "");
    EXPECT_EQ(test::read_file(dir / "NEW"), new_list);
    if (fault.arguments.size() == 3 && fault.arguments[2] != "OLD") {
        EXPECT_EQ(test::read_file(dir / "OLD"), old_list);
    }
    for (const std::string& name : fault.absent)
        EXPECT_FALSE(fs::exists(dir / name)) << name;
}

TEST(FaultMatrix, FailuresToOpenEndWithTheirNumber)
{
    const std::string long_name(300, 'n');
    const auto make_folder = [](const fs::path& dir) { fs::create_directory(dir / "FOLDER"); };
    const std::vector<Fault> faults = {
        {"missing old list", nullptr, {"GONE", "NEW", "OUT"}, 1, io_error(1), {"OUT"}},
        {"missing new list", nullptr, {"OLD", "GONE", "OUT"}, 1, io_error(1), {"OUT"}},
        {"report in a missing folder", nullptr, {"OLD", "NEW", "GONE/OUT"}, 1, io_error(1), {"GONE"}},
        {"a folder as the old list", make_folder, {"FOLDER", "NEW", "OUT"}, 6, io_error(6), {"OUT"}},
        {"a folder as the new list", make_folder, {"OLD", "FOLDER", "OUT"}, 6, io_error(6), {"OUT"}},
        {"a folder as the report", make_folder, {"OLD", "NEW", "FOLDER"}, 6, io_error(6), {}},
        {"an old list name too long", nullptr, {long_name, "NEW", "OUT"}, 9, io_error(9), {"OUT"}},
        {"a report name too long", nullptr, {"OLD", "NEW", long_name}, 9, io_error(9), {}},
        {"the report is the new list", nullptr, {"OLD", "NEW", "NEW"}, test::status_minus_one, io_error(-1), {}},
    };
    for (const Fault& fault : faults)
        check(fault);
}

TEST(FaultMatrix, ReplacesTheOldListWhenTheReportNamesIt)
{
    // The old list has been read whole and closed before the report is opened.
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", new_list);
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OLD"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, banner + "3 old entries with 3 entries compared\n");
    EXPECT_EQ(test::read_file(dir / "OLD"), report);
    EXPECT_EQ(test::read_file(dir / "NEW"), new_list);
}

TEST(FaultMatrix, StopsAtLinesWithoutTheirNewline)
{
    const auto overlong = [](const std::string& name) {
        return [name](const fs::path& dir) {
            test::write_file(dir / name, ";A\r\n" + std::string(254, 'x') + "\r\n,1,N,L,S\r\n");
        };
    };
    const std::string message = "Error: Line 2 (LIST) exceeds 255 characters!\nProgram terminates!\n";
    check({"over-long line in the old list", overlong("LIST"), {"LIST", "NEW", "OUT"}, 1, message, {"OUT"}});
    check({"over-long line in the new list", overlong("LIST"), {"OLD", "LIST", "OUT"}, 1, message, {}});
}

#ifdef _WIN32
TEST(FaultMatrix, NeverWritesOntoTheNewListByAnyName)
{
    // The new list is open sharing read access only: every other name for it
    // meets the sharing violation.
    const auto links = [](const fs::path& dir) {
        fs::create_directory(dir / "dir");
        fs::create_hard_link(dir / "NEW", dir / "HARDLINK");
    };
    for (const std::string name : {"NEW", "new", "HARDLINK", "dir\\..\\NEW", ".\\NEW"})
        check({name.c_str(), links, {"OLD", "NEW", name}, test::status_minus_one, io_error(-1), {}});
    // A read-only new list is recognised before the report is opened for
    // writing, so it ends as any other name for it does.
    const auto read_only = [](const fs::path& dir) {
        fs::permissions(dir / "NEW", fs::perms::owner_read, fs::perm_options::replace);
    };
    check({"a read-only new list", read_only, {"OLD", "NEW", "NEW"}, test::status_minus_one,
           io_error(-1), {}});
}
#else
TEST(FaultMatrix, NeverWritesOntoTheNewListByAnyName)
{
    const auto links = [](const fs::path& dir) {
        fs::create_directory(dir / "dir");
        fs::create_hard_link(dir / "NEW", dir / "HARDLINK");
        fs::create_symlink("NEW", dir / "SYMLINK");
    };
    for (const std::string name : {"NEW", "HARDLINK", "SYMLINK", "./dir/../NEW"})
        check({name.c_str(), links, {"OLD", "NEW", name}, test::status_minus_one, io_error(-1), {}});
}

TEST(FaultMatrix, FailsWithTwelveOnAFullDisk)
{
    check({"report on a full disk", nullptr, {"OLD", "NEW", "/dev/full"}, 12, io_error(12), {}});
}

TEST(FaultMatrix, StopsAtFilesItMayNotReadOrWrite)
{
    // Permissions do not hold back root, so these run as the user nobody.
    if (geteuid() != 0 || !fs::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root and setpriv to run the tool as an unprivileged user";
    const test::ToolOptions as_nobody = {
        {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}};
    // The build may lie below a folder closed to nobody (a checkout in a
    // fresh mktemp -d, say), where an emulator cannot read the program.
    const test::TempDir probe;
    fs::permissions(probe.path(), fs::perms::all);
    if (!test::run_tool(probe.path(), {}, as_nobody).standard_error.starts_with(banner))
        GTEST_SKIP() << "the built tool cannot be run as nobody from where it lies";
    const auto unreadable = [](const fs::path& dir) {
        fs::permissions(dir / "OLD", fs::perms::none);
        fs::permissions(dir, fs::perms::all);  // nobody may enter the folder
    };
    check({"an old list that cannot be read", unreadable, {"OLD", "NEW", "OUT"}, 6, io_error(6), {"OUT"}},
          as_nobody);
    const auto locked_folder = [](const fs::path& dir) {
        fs::create_directory(dir / "LOCKED");
        fs::permissions(dir / "LOCKED", fs::perms::owner_all | fs::perms::others_exec);
        fs::permissions(dir, fs::perms::all);
        fs::permissions(dir / "OLD", fs::perms::owner_all | fs::perms::others_read);
        fs::permissions(dir / "NEW", fs::perms::owner_all | fs::perms::others_read);
    };
    check({"a report in a folder it may not write", locked_folder, {"OLD", "NEW", "LOCKED/OUT"}, 6,
           io_error(6), {"LOCKED/OUT"}},
          as_nobody);
    // The new list is recognised before the report is opened for writing, so
    // a new list the user may not write ends as any other name for it does.
    const auto read_only_lists = [](const fs::path& dir) {
        fs::permissions(dir, fs::perms::all);
        fs::permissions(dir / "OLD", fs::perms::owner_all | fs::perms::others_read);
        fs::permissions(dir / "NEW", fs::perms::owner_all | fs::perms::others_read);
        fs::create_hard_link(dir / "NEW", dir / "HARDLINK");
    };
    for (const std::string name : {"NEW", "HARDLINK"})
        check({name.c_str(), read_only_lists, {"OLD", "NEW", name}, test::status_minus_one,
               io_error(-1), {}},
              as_nobody);
}

TEST(FaultMatrix, WritesThroughABrokenStandardErrorStream)
{
    // Nobody reads standard error: the banner's write fails, and the run
    // goes on to a complete report.
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", new_list);
    test::ToolOptions options;
    options.broken_standard_error = true;
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"}, options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(test::read_file(dir / "OUT"), report);
}

TEST(FaultMatrix, FailsWithTwelvePastTheFileSizeLimit)
{
    // The limit binds the captured standard error too, which stays below it.
    std::string longer_list = new_list;
    for (int node = 10; node < 40; ++node)
        longer_list += "," + std::to_string(node) + ",N,L,Sysop,P,B,F\r\n";
    const test::TempDir dir;
    test::write_file(dir / "OLD", old_list);
    test::write_file(dir / "NEW", longer_list);
    test::ToolOptions options;
    options.file_size_limit = 512;
    const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"}, options);
    EXPECT_EQ(run.status, 12);
    EXPECT_EQ(run.standard_error, banner + io_error(12));
    EXPECT_EQ(test::read_file(dir / "OUT").size(), 512u);
}

TEST(FaultMatrix, TakesTurnsWithOtherRunsThroughLocks)
{
    // Another run, played by this test, holds a lock on one file.
    struct Case {
        const char* what;
        std::string locked;
        int lock;
        std::string report_name;
        int status;
        std::string standard_error;
    };
    const std::string summary = "3 old entries with 3 entries compared\n";
    const std::vector<Case> cases = {
        {"the report is another run's report", "OUT", LOCK_EX, "OUT", test::status_minus_one,
         io_error(-1)},
        {"the report is a list another run reads", "OUT", LOCK_SH, "OUT", test::status_minus_one,
         io_error(-1)},
        {"the new list is another run's report", "NEW", LOCK_EX, "OUT", test::status_minus_one,
         io_error(-1)},
        {"the old list is another run's report", "OLD", LOCK_EX, "OUT", test::status_minus_one,
         io_error(-1)},
        {"another run reads the same lists", "OLD", LOCK_SH, "OUT", 0, summary},
        {"a device takes no lock", "/dev/null", LOCK_EX, "/dev/null", 0, summary},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        test::write_file(dir / "OLD", old_list);
        test::write_file(dir / "NEW", new_list);
        test::write_file(dir / "OUT", "another run's report\r\n");
        const int held = ::open((dir / c.locked).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, c.lock | LOCK_NB), 0);
        const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", c.report_name});
        ::close(held);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.standard_error, banner + c.standard_error);
        EXPECT_EQ(test::read_file(dir / "OLD"), old_list);
        EXPECT_EQ(test::read_file(dir / "NEW"), new_list);
        if (c.status != 0 || c.report_name != "OUT") {
            EXPECT_EQ(test::read_file(dir / "OUT"), "another run's report\r\n");
        }
    }
}
#endif

}  // namespace
}  // namespace quorvel
