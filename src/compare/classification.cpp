#include "compare/classification.h"

namespace quorvel {

Classification classify_entry(ReferenceTable& table, const NodelistEntry& entry)
{
    const std::optional<ReferenceTable::Slot> slot = table.take_match(entry.context.address);
    if (!slot)
        return {ChangeKind::NewNode, Status::NN, Status::NN, {}};
    const Status old_status = table.status(*slot);
    if (old_status != entry.status)
        return {ChangeKind::StatusChanged, old_status, entry.status, {}};
    // Equal labels with unequal keywords can only be Z-I or R-I nodes, whose
    // label hides the keyword: one that goes Down or Hold must still show.
    const Status old_keyword = table.keyword_status(*slot);
    if (old_keyword != entry.keyword_status)
        return {ChangeKind::StatusChanged, old_keyword, entry.keyword_status, {}};
    const std::string_view old_sysop = table.sysop(*slot);
    if (!names_equal(old_sysop, entry.sysop))
        return {ChangeKind::SysopChanged, old_status, entry.status, old_sysop};
    return {ChangeKind::Unchanged, old_status, entry.status, {}};
}

}  // namespace quorvel
