// Runs on real published nodelists, read from the shared test data beside the
// clone; skipped where that is absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
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

// A deliberately plain reading of a list, written apart from the tool's own
// reader and parser, for checking its reports: lines split at LF with CRs
// dropped, up to a Ctrl-Z; comments and blank lines passed over; each entry
// cut at its commas into keyword, number and sysop, with the address from the
// Zone, Region and Host lines above it, starting from zone 0.
struct Entry {
    std::string address;
    std::string keyword;  // lower case
    std::string sysop;    // underscores as spaces, lower case
};

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

struct Reading {
    std::vector<Entry> entries;
    std::size_t entry_lines = 0;  // non-comment lines, blank ones included
};

Reading read_independently(const fs::path& path)
{
    std::string bytes = test::read_file(path);
    bytes = bytes.substr(0, bytes.find('\x1a'));
    std::erase(bytes, '\r');
    Reading reading;
    long zone = 0;
    long net = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (line.starts_with(';'))
            continue;
        ++reading.entry_lines;
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t comma = line.find(',', from);
            fields.push_back(line.substr(from, comma - from));
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
        fields.resize(std::max<std::size_t>(fields.size(), 5));
        const std::string keyword = lower(fields[0]);
        const long number = std::stol(fields[1]);
        long node = 0;
        if (keyword == "zone")
            zone = net = number;
        else if (keyword == "region" || keyword == "host")
            net = number;
        else
            node = number;
        std::string sysop = lower(fields[4]);
        std::replace(sysop.begin(), sysop.end(), '_', ' ');
        reading.entries.push_back({std::to_string(zone) + ":" + std::to_string(net) + "/" +
                                       std::to_string(node),
                                   keyword, sysop});
    }
    return reading;
}

// The changes between two readings, as "address kind" texts, sorted: New for
// an address the old list lacks, Lost for an old entry no new one pairs with,
// Changed for a keyword or a sysop that differs. The n-th occurrence of an
// address in the new list pairs with its n-th in the old, further ones with
// the first.
std::vector<std::string> expected_changes(const Reading& old_list, const Reading& new_list)
{
    std::map<std::string, std::vector<std::size_t>> old_slots;
    for (std::size_t i = 0; i < old_list.entries.size(); ++i)
        old_slots[old_list.entries[i].address].push_back(i);
    std::map<std::string, std::size_t> seen;
    std::vector<bool> matched(old_list.entries.size());
    std::vector<std::string> changes;
    for (const Entry& entry : new_list.entries) {
        const auto slots = old_slots.find(entry.address);
        if (slots == old_slots.end()) {
            changes.push_back(entry.address + " New");
            continue;
        }
        const std::size_t n = seen[entry.address]++;
        const std::size_t slot = slots->second[n < slots->second.size() ? n : 0];
        matched[slot] = true;
        const Entry& old = old_list.entries[slot];
        if (old.keyword != entry.keyword || old.sysop != entry.sysop)
            changes.push_back(entry.address + " Changed");
    }
    for (std::size_t i = 0; i < old_list.entries.size(); ++i)
        if (!matched[i])
            changes.push_back(old_list.entries[i].address + " Lost");
    std::sort(changes.begin(), changes.end());
    return changes;
}

// What a report names: each line's address and kind, sorted.
std::vector<std::string> reported_changes(const std::string& report)
{
    std::vector<std::string> changes;
    std::size_t start = report.find("\r\n\r\n") + 4;
    const std::size_t footer = report.rfind("\r\n\r\n...produced by");
    while (start < footer) {
        const std::size_t end = report.find("\r\n", start);
        const std::string line = report.substr(start, end - start);
        const std::string address = line.substr(0, line.find(' '));
        const std::string kind = line.find("): New node (") != std::string::npos ? " New"
                                 : line.find("): Lost node (was: ") != std::string::npos
                                     ? " Lost"
                                     : " Changed";
        changes.push_back(address + kind);
        start = end + 2;
    }
    std::sort(changes.begin(), changes.end());
    return changes;
}

std::string header_and_footer(const fs::path& old_list, const fs::path& new_list)
{
    return "\r\nComparing " + old_list.string() + " and " + new_list.string() +
           ":\r\n\r\n\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";
}

TEST(RealLists, EveryPairOfConsecutiveEditionsReportsExactlyWhatChanged)
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
    const test::TempDir dir;
    for (const auto& [old_list, new_list] : pairs) {
        SCOPED_TRACE(old_list.filename().string() + " -> " + new_list.filename().string());
        const test::ToolRun run =
            test::run_tool(dir.path(), {old_list.string(), new_list.string(), "OUT"});
        const Reading old_reading = read_independently(old_list);
        const Reading new_reading = read_independently(new_list);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.standard_error, test::banner + std::to_string(old_reading.entry_lines) +
                                          " old entries with " +
                                          std::to_string(new_reading.entry_lines) +
                                          " entries compared\n");
        const std::string report = test::read_file(dir / "OUT");
        ASSERT_TRUE(report.starts_with("\r\nComparing " + old_list.string() + " and " +
                                       new_list.string() + ":\r\n\r\n"));
        ASSERT_TRUE(report.ends_with("\r\n\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n"));
        EXPECT_EQ(reported_changes(report), expected_changes(old_reading, new_reading));
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
