#include "nodelist/status.h"

#include <array>

namespace quorvel {

std::string_view status_label(Status status)
{
    static constexpr std::array<std::string_view, 10> labels = {
        "NN", "ZC", "RC", "Host", "Hub", "Pvt", "Hold", "Down", "Z-I", "R-I",
    };
    return labels[static_cast<std::size_t>(status)];
}

}  // namespace quorvel
