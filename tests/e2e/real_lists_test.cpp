// Runs on real published nodelists, read from the shared test data beside the
// clone; skipped where that is absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/tool_runner.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

const fs::path real_lists = QUORVEL_REAL_LISTS;

#define SKIP_WITHOUT_REAL_LISTS()                                                   \
    if (!fs::is_directory(real_lists))                                              \
    GTEST_SKIP() << "real nodelists not found at " << real_lists.string()           \
                 << " (they sit in ../shared/testdata/real beside the clone)"

// The editions of one network, oldest first: their names carry year and day.
std::vector<fs::path> editions(const std::string& folder)
{
    std::vector<fs::path> lists;
    for (const auto& file : fs::directory_iterator(real_lists / folder))
        if (file.path().extension() != ".nodediff")
            lists.push_back(file.path());
    std::sort(lists.begin(), lists.end());
    return lists;
}

std::string header_and_footer(const fs::path& old_list, const fs::path& new_list)
{
    return "\r\nComparing " + old_list.string() + " and " + new_list.string() +
           ":\r\n\r\n\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";
}

TEST(RealLists, EveryPairOfConsecutiveEditionsRunsToItsEnd)
{
    SKIP_WITHOUT_REAL_LISTS();
    std::vector<std::pair<fs::path, fs::path>> pairs = {
        {real_lists / "fidonet-world-1996-362.NODELIST.362",
         real_lists / "fidonet-world-1997-003.NODELIST.003.lf"},
        {real_lists / "fidonet-world-1996-362.NODELIST.362",
         real_lists / "fidonet-world-1997-003.NODELIST.003.rebuilt-crlf"},
    };
    for (const std::string folder : {"cfido", "fsxnet", "tqwnet", "z2daily"}) {
        const std::vector<fs::path> lists = editions(folder);
        for (std::size_t i = 1; i < lists.size(); ++i)
            pairs.emplace_back(lists[i - 1], lists[i]);
    }
    const std::regex summary("[0-9]+ old entries with [0-9]+ entries compared\n");
    const test::TempDir dir;
    for (const auto& [old_list, new_list] : pairs) {
        SCOPED_TRACE(old_list.filename().string() + " -> " + new_list.filename().string());
        const test::ToolRun run =
            test::run_tool(dir.path(), {old_list.string(), new_list.string(), "OUT"});
        EXPECT_EQ(run.status, 0);
        ASSERT_TRUE(run.standard_error.starts_with(test::banner));
        EXPECT_TRUE(std::regex_match(run.standard_error.substr(test::banner.size()), summary))
            << run.standard_error;
        const std::string report = test::read_file(dir / "OUT");
        EXPECT_TRUE(report.starts_with("\r\nComparing ")) << report.substr(0, 200);
    }
}

TEST(RealLists, WorldListsOf1996And1997AreHeldWhole)
{
    SKIP_WITHOUT_REAL_LISTS();
    const test::TempDir dir;
    const test::ToolRun run = test::run_tool(
        dir.path(), {(real_lists / "fidonet-world-1996-362.NODELIST.362").string(),
                     (real_lists / "fidonet-world-1997-003.NODELIST.003.lf").string(), "OUT"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standard_error, test::banner + "33699 old entries with 33583 entries compared\n");
}

TEST(RealLists, EditionsWithoutNodeChangesGiveAnEmptyReport)
{
    SKIP_WITHOUT_REAL_LISTS();
    // fsxNet 150 and 157 have the same body, with a Zone line and a Region
    // line sharing the address 21:21/0; Z2DAILY 351 -> 353 changes only
    // system names and flags.
    const std::vector<std::pair<fs::path, fs::path>> pairs = {
        {real_lists / "fsxnet/fsxnet-2020-150.FSXNET.150",
         real_lists / "fsxnet/fsxnet-2020-157.FSXNET.157"},
        {real_lists / "z2daily/fidonet-z2daily-2024-351.nodelist",
         real_lists / "z2daily/fidonet-z2daily-2024-353.nodelist"},
        {real_lists / "tqwnet/tqwnet-2026-233.nodelist",
         real_lists / "tqwnet/tqwnet-2026-233.nodelist"},
    };
    const test::TempDir dir;
    for (const auto& [old_list, new_list] : pairs) {
        SCOPED_TRACE(new_list.filename().string());
        const test::ToolRun run =
            test::run_tool(dir.path(), {old_list.string(), new_list.string(), "OUT"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(test::read_file(dir / "OUT"), header_and_footer(old_list, new_list));
    }
}

}  // namespace
}  // namespace quorvel
