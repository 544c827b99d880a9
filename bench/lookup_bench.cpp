// The lookup of new entries in the old list, on the real 1996/1997 world
// pair: the linear first-match scan over address texts that the table's
// index replaced, against the index.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "compare/classification.h"
#include "compare/reference_table.h"
#include "nodelist/ascii.h"
#include "nodelist/entry_parser.h"
#include "run/list_reader.h"
#include "run/platform.h"

namespace {

using namespace quorvel;

// The entries of a list, read from a zero context. Only the addresses and
// statuses are kept: the text fields would point into the reader's buffer.
std::vector<NodelistEntry> read_entries(const std::string& path)
{
    AddressContext context;
    Opened<InputStream> file = native_file_system().open_list(path);
    if (!file.stream) {
        std::fprintf(stderr, "cannot open %s (the real lists sit in ../shared/testdata/real)\n",
                     path.c_str());
        std::exit(1);
    }
    ListReader reader(*file.stream);
    std::vector<NodelistEntry> entries;
    for (ListReader::Result line = reader.next(); line.outcome == ListReader::Outcome::Line;
         line = reader.next()) {
        if (line.text.starts_with(';') || is_blank_line(line.text))
            continue;
        NodelistEntry entry;
        parse_entry(line.text, context, entry);
        entry.system_name = entry.location = entry.sysop = entry.after_sysop = {};
        entries.push_back(std::move(entry));
    }
    return entries;
}

struct WorldPair {
    std::vector<NodelistEntry> old_entries;
    std::vector<NodelistEntry> new_entries;
};

const WorldPair& world_pair()
{
    static const WorldPair pair = [] {
        const std::string real = QUORVEL_REAL_LISTS;
        WorldPair loaded;
        loaded.old_entries = read_entries(real + "/fidonet-world-1996-362.NODELIST.362");
        loaded.new_entries = read_entries(real + "/fidonet-world-1997-003.NODELIST.003.lf");
        return loaded;
    }();
    return pair;
}

void LinearFirstMatchScan(benchmark::State& state)
{
    const WorldPair& pair = world_pair();
    std::vector<std::string> old_addresses;
    for (const NodelistEntry& entry : pair.old_entries)
        old_addresses.push_back(address_text(entry.context.address));
    std::vector<std::string> new_addresses;
    for (const NodelistEntry& entry : pair.new_entries)
        new_addresses.push_back(address_text(entry.context.address));
    for (auto _ : state) {
        std::size_t found = 0;
        for (const std::string& address : new_addresses)
            for (const std::string& old : old_addresses)
                if (equal_ignoring_ascii_case(old, address)) {
                    ++found;
                    break;
                }
        benchmark::DoNotOptimize(found);
    }
    state.counters["lookups"] = static_cast<double>(new_addresses.size());
}
BENCHMARK(LinearFirstMatchScan)->Unit(benchmark::kMillisecond);

void IndexedTable(benchmark::State& state)
{
    const WorldPair& pair = world_pair();
    ReferenceTable table;
    for (const NodelistEntry& entry : pair.old_entries)
        table.store_entry(entry);
    for (auto _ : state) {
        std::size_t found = 0;
        for (const NodelistEntry& entry : pair.new_entries)
            found += table.take_match(entry.context.address).has_value();
        benchmark::DoNotOptimize(found);
    }
    state.counters["lookups"] = static_cast<double>(pair.new_entries.size());
}
BENCHMARK(IndexedTable)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
