#include "compare/classification.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compare/reference_table.h"

namespace quorvel {
namespace {

struct Item {
    Address address;
    Status status;
    std::string sysop;
    Address under = {2, 2433, 0};
    std::optional<Status> keyword = std::nullopt;  // the label's own status when not given
};

NodelistEntry entry_of(const Item& item)
{
    NodelistEntry entry;
    entry.context.address = item.address;
    entry.context.under = item.under;
    entry.status = item.status;
    entry.keyword_status = item.keyword.value_or(item.status);
    entry.sysop = item.sysop;
    return entry;
}

struct Case {
    const char* what;
    std::vector<Item> old_list;
    std::vector<Item> new_list;
    std::vector<ChangeKind> kinds;       // one per new item
    std::vector<std::string> old_sysops; // what each classification shows as old sysop
    std::vector<std::string> lost;       // sysops of the lost slots, in old-list order
    // For the last status change: the statuses its line shows, old and new.
    std::pair<Status, Status> shown = {Status::NN, Status::NN};
};

const Address a1{2, 2433, 1};
const Address a2{2, 2433, 2};
const Address zone{21, 21, 0};
const Address independent{1, 11, 530};
const Address region_under{1, 11, 0};

TEST(ClassifyEntry, ClassifiesNewEntriesAgainstTheOldList)
{
    using enum ChangeKind;
    const std::vector<Case> cases = {
        {"new node", {{a1, Status::NN, "One"}}, {{a2, Status::NN, "Two"}}, {NewNode}, {""}, {"One"}},
        {"unchanged", {{a1, Status::NN, "One"}}, {{a1, Status::NN, "One"}}, {Unchanged}, {""}, {}},
        {"a status change beats a sysop change", {{a1, Status::NN, "One"}},
         {{a1, Status::Hold, "Other"}}, {StatusChanged}, {""}, {}, {Status::NN, Status::Hold}},
        {"an R-I node going Down shows its keywords",
         {{independent, Status::RI, "S", region_under, Status::NN}},
         {{independent, Status::RI, "Other", region_under, Status::Down}}, {StatusChanged}, {""},
         {}, {Status::NN, Status::Down}},
        {"a Z-I hub turning plain", {{{1, 1, 5}, Status::ZI, "S", {1, 1, 0}, Status::Hub}},
         {{{1, 1, 5}, Status::ZI, "S", {1, 1, 0}, Status::NN}}, {StatusChanged}, {""}, {},
         {Status::Hub, Status::NN}},
        {"an R-I node keeping its keyword compares its sysop",
         {{independent, Status::RI, "S", region_under, Status::Hold}},
         {{independent, Status::RI, "T", region_under, Status::Hold}}, {SysopChanged}, {"S"}, {}},
        {"a label change shows the labels",
         {{independent, Status::Hold, "S", region_under, Status::Hold}},
         {{independent, Status::RI, "S", region_under, Status::Down}}, {StatusChanged}, {""}, {},
         {Status::Hold, Status::RI}},
        {"sysop change", {{a1, Status::Pvt, "Sysop Three"}}, {{a1, Status::Pvt, "Sysop Four"}},
         {SysopChanged}, {"Sysop Three"}, {}},
        {"sysop names differing in ASCII case only", {{a1, Status::NN, "Sysop One"}},
         {{a1, Status::NN, "SYSOP ONE"}}, {Unchanged}, {""}, {}},
        {"an underscore is a space", {{a1, Status::NN, "Sysop_One"}},
         {{a1, Status::NN, "SYSOP ONE"}}, {Unchanged}, {""}, {}},
        {"bytes beyond ASCII are not folded", {{a1, Status::NN, "\xc4rger"}},
         {{a1, Status::NN, "\xe4rger"}}, {SysopChanged}, {"\xc4rger"}, {}},
        {"a long sysop name is compared whole", {{a1, Status::NN, std::string(200, 'x') + "a"}},
         {{a1, Status::NN, std::string(200, 'x') + "b"}}, {SysopChanged},
         {std::string(200, 'x') + "a"}, {}},
        {"moved to another hub", {{a1, Status::NN, "One", {2, 2433, 100}}},
         {{a1, Status::NN, "One", {2, 2433, 200}}}, {Unchanged}, {""}, {}},
        {"twice in the old list, once in the new", {{a1, Status::NN, "First"}, {a1, Status::NN, "Second"}},
         {{a1, Status::NN, "First"}}, {Unchanged}, {""}, {"Second"}},
        {"once in the old list, twice in the new", {{a1, Status::NN, "One"}},
         {{a1, Status::NN, "One"}, {a1, Status::NN, "Other"}}, {Unchanged, SysopChanged},
         {"", "One"}, {}},
        {"twice in both, matched in pairs",
         {{zone, Status::ZC, "Z"}, {a1, Status::NN, "One"}, {zone, Status::RC, "R"}},
         {{zone, Status::ZC, "Z"}, {a1, Status::NN, "One"}, {zone, Status::RC, "R"}},
         {Unchanged, Unchanged, Unchanged}, {"", "", ""}, {}},
        {"three times in the new list, twice in the old",
         {{a1, Status::NN, "A"}, {a1, Status::NN, "B"}},
         {{a1, Status::NN, "A"}, {a1, Status::NN, "B"}, {a1, Status::NN, "C"}},
         {Unchanged, Unchanged, SysopChanged}, {"", "", "A"}, {}},
        {"empty old list", {}, {{a1, Status::NN, "One"}, {a2, Status::Hub, "Two"}},
         {NewNode, NewNode}, {"", ""}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReferenceTable table;
        for (const Item& item : c.old_list)
            table.store_entry(entry_of(item));
        EXPECT_EQ(table.size(), c.old_list.size());
        for (std::size_t i = 0; i < c.new_list.size(); ++i) {
            const Classification change = classify_entry(table, entry_of(c.new_list[i]));
            EXPECT_EQ(change.kind, c.kinds[i]) << "new item " << i;
            EXPECT_EQ(change.old_sysop, c.old_sysops[i]) << "new item " << i;
            if (change.kind == StatusChanged) {
                EXPECT_EQ(change.old_status, c.shown.first);
                EXPECT_EQ(change.new_status, c.shown.second);
            }
        }
        std::vector<std::string> lost;
        table.for_each_unmatched([&](const StoredEntry& old) {
            lost.emplace_back(old.sysop);
            return true;
        });
        EXPECT_EQ(lost, c.lost);
    }
}

TEST(ReferenceTable, FindsEntriesStoredAfterItsFirstLookup)
{
    // The index is built at the first lookup; entries stored after it join
    // it, and it grows for them. Looked up last to first, so that the guess
    // of the next slot never finds them.
    ReferenceTable table;
    table.store_entry(entry_of({{1, 1, 0}, Status::ZC, "Z"}));
    EXPECT_EQ(classify_entry(table, entry_of({{1, 1, 0}, Status::ZC, "Z"})).kind,
              ChangeKind::Unchanged);
    for (std::int32_t node = 1; node <= 300; ++node)
        table.store_entry(entry_of({{1, 1, node}, Status::NN, "S" + std::to_string(node)}));
    table.store_entry(entry_of({{1, 1, 5}, Status::NN, "Twice"}));
    for (std::int32_t node = 300; node >= 1; --node) {
        const Classification change =
            classify_entry(table, entry_of({{1, 1, node}, Status::NN, "S" + std::to_string(node)}));
        ASSERT_EQ(change.kind, ChangeKind::Unchanged) << node;
    }
    const Classification second = classify_entry(table, entry_of({{1, 1, 5}, Status::NN, "Twice"}));
    EXPECT_EQ(second.kind, ChangeKind::Unchanged);
    EXPECT_EQ(classify_entry(table, entry_of({{1, 1, 301}, Status::NN, "New"})).kind,
              ChangeKind::NewNode);
    table.for_each_unmatched([](const StoredEntry& old) {
        ADD_FAILURE() << "lost " << address_text(old.address);
        return true;
    });
}

TEST(ReferenceTable, HoldsEveryEntryOfAListOfAnyLength)
{
    // Far past the sizes where chunks, the sysop pool and the index grow.
    constexpr std::int32_t count = 70000;
    ReferenceTable table;
    for (std::int32_t i = 0; i < count; ++i)
        table.store_entry(entry_of({{1, i / 100, i % 100}, i % 7 == 0 ? Status::Hold : Status::NN,
                                    "Sysop " + std::to_string(i), {1, i / 100, 0}}));
    ASSERT_EQ(table.size(), static_cast<std::uint32_t>(count));
    for (std::int32_t i = 0; i < count; i += 2) {
        const std::string sysop = "SYSOP " + std::to_string(i);
        const Classification change = classify_entry(
            table, entry_of({{1, i / 100, i % 100}, i % 7 == 0 ? Status::Hold : Status::NN, sysop}));
        ASSERT_EQ(change.kind, ChangeKind::Unchanged) << i;
    }
    std::int32_t expected = 1;
    table.for_each_unmatched([&](const StoredEntry& old) {
        EXPECT_EQ(old.address, (Address{1, expected / 100, expected % 100}));
        EXPECT_EQ(old.under, (Address{1, expected / 100, 0}));
        EXPECT_EQ(old.sysop, "Sysop " + std::to_string(expected));
        expected += 2;
        return true;
    });
    EXPECT_EQ(expected, count + 1);
}

}  // namespace
}  // namespace quorvel
