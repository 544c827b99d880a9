#include "compare/classification.h"

#include "nodelist/entry_parser.h"

namespace quorvel {

Classification classify_entry(ReferenceTable& table, Address address, Status status,
                              std::string_view sysop)
{
    const std::optional<ReferenceTable::Slot> slot = table.take_match(address);
    if (!slot)
        return {ChangeKind::NewNode, Status::NN, {}};
    const StoredEntry old = table.entry(*slot);
    if (old.status != status)
        return {ChangeKind::StatusChanged, old.status, {}};
    if (!names_equal(old.sysop, sysop))
        return {ChangeKind::SysopChanged, old.status, old.sysop};
    return {ChangeKind::Unchanged, old.status, {}};
}

}  // namespace quorvel
