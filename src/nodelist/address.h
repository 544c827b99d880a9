#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// A node address zone:net/node. Addresses are kept as numbers and only turned
// into text for the report: the text "%d:%d/%d" is a one-to-one image of the
// three numbers and holds no letters, so comparing numbers is the same as
// comparing the texts with or without letter case.
struct Address {
    std::int32_t zone = 0;
    std::int32_t net = 0;
    std::int32_t node = 0;

    friend bool operator==(const Address&, const Address&) = default;
};

// Appends "%d:%d/%d" of the address to out.
void append_address_text(std::string& out, Address address);

std::string address_text(Address address);

// The coordinator or hub that node lines are listed under. A list's lines
// before its first Zone, Region, Host or Hub line are listed under none.
using Under = std::optional<Address>;

// Appends the under address as "%d:%d/%d", or nothing when there is none.
void append_under_text(std::string& out, const Under& under);

}  // namespace quorvel
