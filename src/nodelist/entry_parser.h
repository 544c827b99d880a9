#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nodelist/address.h"
#include "nodelist/status.h"

namespace quorvel {

// The zone/net/region/hub context that a nodelist line inherits from the
// lines above it. One instance lives for the whole run, starts all zero and is
// never reset, not even between the old and the new list. The run's current
// zone is `zone`: only a Zone line changes either, and every line copies the
// current zone into `zone`, so the two never differ.
struct AddressContext {
    std::int32_t zone = 0;
    std::int32_t net = 0;
    std::int32_t node = 0;
    std::int32_t region = 0;
    Address address;
    Address under;  // coordinator or hub the following node lines are listed under
};

// One parsed nodelist line. Every field is a view into the parsed line, valid
// as long as the line is, so parsing copies nothing. The name fields (system
// name, location, sysop) are kept as written: an underscore in them stands for
// a space, and they are shown through copy_name_field and compared through
// names_equal, which read it so.
struct NodelistEntry {
    Status status = Status::NN;
    AddressContext context;
    std::string_view system_name;
    std::string_view location;
    std::string_view sysop;
    std::string_view phone;
    std::string_view baud_rate;
    std::string_view flags;
    bool is_node = true;
};

// Parses one non-comment line, given without its newline (the reader only
// hands on lines that had one). Updates the run's context and fills entry.
// Every byte sequence is accepted: missing fields are empty, and nothing is
// read beyond the line.
void parse_entry(std::string_view line, AddressContext& context, NodelistEntry& entry);

// Appends a copy of a name field to destination and turns each underscore of
// the copy into a space.
void copy_name_field(std::string& destination, std::string_view source);

// Whether two name fields, as written, name the same: underscores are spaces
// and the letter case of A-Z is ignored.
bool names_equal(std::string_view a, std::string_view b);

// A line of nothing but spaces and tabs. Such a line counts as an entry line
// but is not parsed: it must not move the context or show up in the report.
bool is_blank_line(std::string_view line);

}  // namespace quorvel
