#include "nodelist/address.h"

#include <array>

namespace quorvel {

namespace {

// Signed decimal without leading zeros or spaces, like "%d". Works on the
// unsigned magnitude so that INT32_MIN needs no special case.
void append_decimal(std::string& out, std::int32_t value)
{
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        out += '-';
        magnitude = 0u - magnitude;
    }
    std::array<char, 10> digits{};
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0)
        out += digits[--count];
}

}  // namespace

void append_address_text(std::string& out, Address address)
{
    append_decimal(out, address.zone);
    out += ':';
    append_decimal(out, address.net);
    out += '/';
    append_decimal(out, address.node);
}

std::string address_text(Address address)
{
    std::string text;
    append_address_text(text, address);
    return text;
}

void append_under_text(std::string& out, const Under& under)
{
    if (under)
        append_address_text(out, *under);
}

}  // namespace quorvel
