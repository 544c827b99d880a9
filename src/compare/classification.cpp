#include "compare/classification.h"

namespace quorvel {

Classification classify_entry(ReferenceTable& table, const NodelistEntry& entry)
{
    const std::optional<ReferenceTable::Slot> slot = table.take_match(entry.context.address);
    if (!slot)
        return {ChangeKind::NewNode, Status::NN, Status::NN, {}};
    const StoredEntry old = table.entry(*slot);
    if (old.status != entry.status)
        return {ChangeKind::StatusChanged, old.status, entry.status, {}};
    // Equal labels with unequal keywords can only be Z-I or R-I nodes, whose
    // label hides the keyword: one that goes Down or Hold must still show.
    if (old.keyword_status != entry.keyword_status)
        return {ChangeKind::StatusChanged, old.keyword_status, entry.keyword_status, {}};
    if (!names_equal(old.sysop, entry.sysop))
        return {ChangeKind::SysopChanged, old.status, entry.status, old.sysop};
    return {ChangeKind::Unchanged, old.status, entry.status, {}};
}

}  // namespace quorvel
