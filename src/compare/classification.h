#pragma once

#include <cstdint>
#include <string_view>

#include "compare/reference_table.h"
#include "nodelist/entry_parser.h"
#include "nodelist/status.h"

namespace quorvel {

enum class ChangeKind : std::uint8_t {
    NewNode = 1,        // no old entry has the address
    Unchanged = 2,      // status and sysop equal
    StatusChanged = 3,  // the status differs; the sysop is not compared
    SysopChanged = 4,   // same status, another sysop
};

struct Classification {
    ChangeKind kind;
    // For StatusChanged, the statuses the line shows, old and new: the labels,
    // or the keywords' own statuses for a Z-I or R-I node that kept its label.
    Status old_status = Status::NN;
    Status new_status = Status::NN;
    std::string_view old_sysop;  // for SysopChanged, as written; valid while the table lives
};

// Classifies one entry of the new list against the old list and marks the
// old entry it pairs with as matched. Sysop names compare as names_equal does:
// underscores as spaces, ignoring the case of ASCII letters.
Classification classify_entry(ReferenceTable& table, const NodelistEntry& entry);

}  // namespace quorvel
