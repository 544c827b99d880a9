// A generated pair far larger than the old fixed table, checked against the
// change list the generator worked out from its own model of the two lists.

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "support/tool_runner.h"

namespace quorvel {
namespace {

TEST(GeneratedLists, ReportHoldsExactlyTheChangesMade)
{
    const test::TempDir dir;
    for (const auto& [seed, entries] : {std::pair{"7", "20000"}, std::pair{"11", "6000"}}) {
        SCOPED_TRACE(std::string("seed ") + seed);
        ASSERT_EQ(test::run_program(QUORVEL_GENERATOR,
                                    {seed, entries, (dir / "OLD").string(), (dir / "NEW").string(),
                                     (dir / "CHANGES").string()}),
                  0);
        const std::string changes = test::read_file(dir / "CHANGES");
        // Enough of every kind to mean something.
        for (const char* kind : {"New node", " to ", "New sysop", "Lost node"})
            EXPECT_NE(changes.find(kind), std::string::npos) << kind;

        const test::ToolRun run = test::run_tool(dir.path(), {"OLD", "NEW", "OUT"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(test::read_file(dir / "OUT"),
                  "\r\nComparing OLD and NEW:\r\n\r\n" + changes +
                      "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n");
    }
}

}  // namespace
}  // namespace quorvel
