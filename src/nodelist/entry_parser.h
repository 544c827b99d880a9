#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "nodelist/address.h"
#include "nodelist/status.h"

namespace quorvel {

// The zone/net/region/hub context that a nodelist line inherits from the
// lines above it. Each list is read from a zero context of its own, so that a
// list reads the same whatever was read before it; the old list's last zone
// must not move the new list's first nodes. The current zone is `zone`: only
// a Zone line changes either, and every line copies the current zone into
// `zone`, so the two never differ.
struct AddressContext {
    std::int32_t zone = 0;
    std::int32_t net = 0;
    std::int32_t node = 0;
    std::int32_t region = 0;
    Address address;
    Under under;  // coordinator or hub the following node lines are listed under
};

// One parsed nodelist line. Every field is a view into the parsed line, valid
// as long as the line is, so parsing copies nothing. The name fields (system
// name, location, sysop) are kept as written: an underscore in them stands for
// a space, and they are shown through copy_name_field and compared through
// names_equal, which read it so. The comparison reads no field after the
// sysop, so phone, baud rate and flags are cut from the rest of the line only
// when asked for.
struct NodelistEntry {
    // The label the report compares and shows: the keyword's status, or Z-I
    // or R-I for a node listed directly under a zone or region coordinator.
    Status status = Status::NN;
    // The keyword's own status (NN for a plain node), kept beside the label
    // so that a Z-I or R-I node going Down, Hold or Pvt is still seen.
    Status keyword_status = Status::NN;
    AddressContext context;
    std::string_view system_name;
    std::string_view location;
    std::string_view sysop;
    std::string_view after_sysop;  // the line after the sysop field's comma
    bool is_node = true;

    std::string_view phone() const;
    std::string_view baud_rate() const;
    // Everything after the baud rate field's comma.
    std::string_view flags() const;
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
