#pragma once

#include <cstdint>
#include <string_view>

namespace quorvel {

// The status label of an entry. Each has one fixed spelling, so two statuses
// are equal ignoring letter case exactly when they are the same value.
enum class Status : std::uint8_t {
    NN,    // plain node
    ZC,    // zone coordinator
    RC,    // region coordinator
    Host,  // net host
    Hub,
    Pvt,
    Hold,
    Down,
    ZI,  // node listed directly under a zone coordinator
    RI,  // node listed directly under a region coordinator
};

// "NN", "ZC", "RC", "Host", "Hub", "Pvt", "Hold", "Down", "Z-I", "R-I".
std::string_view status_label(Status status);

}  // namespace quorvel
