#include "run/run_sequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_files.h"
#include "support/tool_runner.h"

namespace quorvel {
namespace {

using test::banner;

const std::string old_list =
    ";A old\r\nZone,2,Z,L,Zone_Sysop,P,B,F\r\nHost,2433,N,L,Host_Sysop,P,B,F\r\n"
    ",1,N,L,Sysop_One,P,B,F\r\n";
const std::string new_list =
    ";A new\r\nZone,2,Z,L,Zone_Sysop,P,B,F\r\nHost,2433,N,L,Host_Sysop,P,B,F\r\n"
    ",1,N,L,Sysop_One,P,B,F\r\n";

struct Outcome {
    int status;
    std::string console;
};

Outcome run(test::FakeFiles& files, const std::vector<std::string_view>& arguments)
{
    test::FakeConsole console;
    const int status = run_quorvel(arguments, files, console);
    return {status, console.written};
}

Outcome run(test::FakeFiles& files)
{
    return run(files, {"OLD", "NEW", "OUT"});
}

TEST(RunSequence, RefusesAnythingButThreeArgumentsWithoutTouchingAFile)
{
    const std::string usage =
        "Aufruf:   QUORVEL NetWork-File(old) NetWork-File(new) Output\n"
        "Beispiel: QUORVEL NET2433.159       NET2433.166       NET2433.DIF\n";
    for (const auto& arguments : std::vector<std::vector<std::string_view>>{
             {}, {"OLD"}, {"OLD", "NEW"}, {"OLD", "NEW", "OUT", "MORE"}}) {
        test::FakeFiles files;
        files.add_list("OLD", old_list);
        files.add_list("NEW", new_list);
        const Outcome outcome = run(files, arguments);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.console, banner + usage);
        EXPECT_TRUE(files.log.empty());
    }
}

TEST(RunSequence, ReadsTheOldListWholeBeforeTheNewListAndTheReport)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    files.add_list("NEW", new_list);
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.console, banner + "3 old entries with 3 entries compared\n");
    EXPECT_EQ(files.log, (std::vector<std::string>{"open OLD", "close OLD", "open NEW",
                                                   "create OUT", "close NEW", "close OUT"}));
}

TEST(RunSequence, CountsEveryNonCommentLineOfBothLists)
{
    std::string old_bytes = "Zone,2,Z,L,S,P,B,F\r\n";
    for (int i = 0; i < 10; ++i)
        old_bytes += ";S comment\r\n";
    old_bytes += ",1,N,L,S,P,B,F\r\n,2,N,L,S,P,B,F\r\n";
    test::FakeFiles files;
    files.add_list("OLD", old_bytes);
    // A blank line counts as an entry, though nothing is made of it.
    files.add_list("NEW", "Zone,2,Z,L,S,P,B,F\r\n \t\r\n,1,N,L,S,P,B,F\r\n,3,N,L,S,P,B,F\r\n");
    EXPECT_EQ(run(files).console, banner + "3 old entries with 4 entries compared\n");
}

TEST(RunSequence, StopsAtAMissingOldListBeforeOpeningAnythingElse)
{
    test::FakeFiles files;
    files.add_list("NEW", new_list);
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler 1 occured -> program end.\n");
    EXPECT_EQ(files.log, std::vector<std::string>{"open OLD"});
}

TEST(RunSequence, StopsAtAMissingNewListBeforeCreatingTheReport)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler 1 occured -> program end.\n");
    EXPECT_EQ(files.log, (std::vector<std::string>{"open OLD", "close OLD", "open NEW"}));
}

TEST(RunSequence, StopsWhenTheReportCannotBeCreated)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    files.add_list("NEW", new_list);
    files.report_open_error = -1;
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, -1);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler -1 occured -> program end.\n");
    EXPECT_EQ(files.log,
              (std::vector<std::string>{"open OLD", "close OLD", "open NEW", "create OUT", "close NEW"}));
}

TEST(RunSequence, StopsAtAReadErrorInTheOldListBeforeTheReportIsCreated)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list, {old_list.find('\n') + 1, 6});
    files.add_list("NEW", new_list);
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 6);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler 6 occured -> program end.\n");
    EXPECT_EQ(files.log, (std::vector<std::string>{"open OLD", "close OLD"}));
}

TEST(RunSequence, StopsAtAReadErrorInTheNewListBeforeTheLostSweep)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    // The error strikes at a line boundary: the pass ends as at end of file.
    const std::size_t after_second_line = new_list.find('\n', new_list.find('\n') + 1) + 1;
    files.add_list("NEW", new_list, {after_second_line, -1});
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, -1);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler -1 occured -> program end.\n");
    EXPECT_EQ(files.log, (std::vector<std::string>{"open OLD", "close OLD", "open NEW",
                                                   "create OUT", "close OUT", "close NEW"}));
    // Two old entries went unmatched, but no lost line was written.
    EXPECT_EQ(files.reports["OUT"], "\r\nComparing OLD and NEW:\r\n\r\n");
}

TEST(RunSequence, StopsWithFiveWhenMemoryRunsOut)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    files.add_list("NEW", new_list, {std::string::npos, 0, true});
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 5);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler 5 occured -> program end.\n");
    EXPECT_EQ(files.log, (std::vector<std::string>{"open OLD", "close OLD", "open NEW",
                                                   "create OUT", "close OUT", "close NEW"}));
    EXPECT_EQ(files.reports["OUT"], "\r\nComparing OLD and NEW:\r\n\r\n");
}

TEST(RunSequence, NeverEndsInSuccessAfterAFailedWrite)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list);
    files.add_list("NEW", new_list);
    files.report_write_error = 12;
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 12);
    EXPECT_EQ(outcome.console, banner + "I/O-Fehler 12 occured -> program end.\n");
}

TEST(RunSequence, KeepsTheLinesWrittenBeforeAStop)
{
    test::FakeFiles files;
    files.add_list("OLD", old_list + ",2,N,L,Two,P,B,F\r\n");
    files.add_list("NEW", ",3,N,L,Three,P,B,F\r\n" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(run(files).status, 1);
    EXPECT_EQ(files.reports["OUT"],
              "\r\nComparing OLD and NEW:\r\n\r\n"
              "0:0/3         (under 0:0/0): New node (Three)\r\n");
}

TEST(RunSequence, StopsAtALineWithoutItsNewlineCountingCommentLines)
{
    const std::string message =
        "Error: Line 4 (NEW) exceeds 255 characters!\nProgram terminates!\n";
    for (const std::string& bad_line : {std::string(254, 'x') + "\r\n", ";" + std::string(260, 'c') + "\n",
                                        std::string("last line")}) {
        test::FakeFiles files;
        files.add_list("OLD", old_list);
        const std::string rest = bad_line.ends_with('\n') ? ",2,N,L,S,P,B,F\r\n" : "";
        files.add_list("NEW", ";A\r\n;S\r\n,1,N,L,S,P,B,F\r\n" + bad_line + rest);
        const Outcome outcome = run(files);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.console, banner + message);
    }
}

TEST(RunSequence, ReportsTheOverLongLineBeforeAPendingReadError)
{
    test::FakeFiles files;
    files.add_list("OLD", ";A\r\n,1,N,L,S", {12, 5});
    files.add_list("NEW", new_list);
    const Outcome outcome = run(files);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.console,
              banner + "Error: Line 2 (OLD) exceeds 255 characters!\nProgram terminates!\n");
}

}  // namespace
}  // namespace quorvel
