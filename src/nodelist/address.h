#pragma once

#include <cstdint>
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

}  // namespace quorvel
