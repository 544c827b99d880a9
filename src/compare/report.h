#pragma once

#include <string>
#include <string_view>

#include "compare/classification.h"
#include "compare/reference_table.h"
#include "nodelist/entry_parser.h"

namespace quorvel {

// The report's text, appended to out. Every line ends in CR LF on every
// platform: the report is a DOS text file.

// "\nComparing OLD and NEW:\n\n", with the names as given on the command line.
void report_header(std::string& out, std::string_view old_name, std::string_view new_name);

// The line for one classified entry of the new list; nothing when unchanged.
void report_entry(std::string& out, const Classification& change, const NodelistEntry& entry);

// The line for an old entry that no new entry matched.
void report_lost(std::string& out, const StoredEntry& old);

void report_footer(std::string& out);

}  // namespace quorvel
