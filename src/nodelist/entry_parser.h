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

// One parsed nodelist line. The name fields are copies with underscores turned
// into spaces; phone, baud rate and flags are views into the parsed line and
// live only as long as it does. The entry is reused from line to line, so the
// name buffers keep their capacity and a line costs no allocation.
struct NodelistEntry {
    Status status = Status::NN;
    AddressContext context;
    std::string system_name;
    std::string location;
    std::string sysop;
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

// Copies a name field and turns each underscore of the copy into a space.
void copy_name_field(std::string& destination, std::string_view source);

// A line of nothing but spaces and tabs. Such a line counts as an entry line
// but is not parsed: it must not move the context or show up in the report.
bool is_blank_line(std::string_view line);

}  // namespace quorvel
