#include "nodelist/entry_parser.h"

#include <algorithm>
#include <array>

#include "nodelist/ascii.h"

namespace quorvel {

namespace {

struct Keyword {
    std::string_view prefix;  // compared ignoring ASCII case, comma included
    Status status;
    bool is_node;
};

// Tested in this order; the first match wins. A line matching none is a plain
// node whose first character (the comma of its empty keyword field) is skipped.
constexpr std::array<Keyword, 7> keywords = {{
    {"zone,", Status::ZC, false},
    {"region,", Status::RC, false},
    {"host,", Status::Host, false},
    {"hub,", Status::Hub, true},
    {"pvt,", Status::Pvt, true},
    {"hold,", Status::Hold, true},
    {"down,", Status::Down, true},
}};

bool is_number_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a decimal the way atoi does (leading white space, one optional sign,
// digits up to the first non-digit, 0 without digits) but without its
// undefined overflow: the value wraps modulo 2^32 into a signed 32-bit number.
std::int32_t read_number(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && is_number_space(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

// Cuts the next comma-ended field off the front of rest. A field that the line
// ends before its comma runs to the end of the line, and everything after it
// is empty.
std::string_view take_field(std::string_view& rest)
{
    const std::size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
        const std::string_view field = rest;
        rest = rest.substr(rest.size());
        return field;
    }
    const std::string_view field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return field;
}

}  // namespace

void copy_name_field(std::string& destination, std::string_view source)
{
    destination.assign(source);
    std::replace(destination.begin(), destination.end(), '_', ' ');
}

bool is_blank_line(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

void parse_entry(std::string_view line, AddressContext& context, NodelistEntry& entry)
{
    entry.status = Status::NN;
    entry.is_node = true;
    std::size_t skip = 1;
    for (const Keyword& keyword : keywords) {
        if (starts_with_ignoring_ascii_case(line, keyword.prefix)) {
            entry.status = keyword.status;
            entry.is_node = keyword.is_node;
            skip = keyword.prefix.size();
            break;
        }
    }

    std::string_view rest = line.substr(std::min(skip, line.size()));
    const std::int32_t number = read_number(take_field(rest));

    switch (entry.status) {
    case Status::ZC:
        context.zone = number;
        context.net = number;
        context.node = 0;
        context.region = 0;
        context.under = {number, number, 0};
        break;
    case Status::RC:
        context.node = 0;
        context.net = number;
        context.region = number;
        context.under = {context.zone, number, 0};
        break;
    case Status::Host:
        context.node = 0;
        context.net = number;
        context.under = {context.zone, number, 0};
        break;
    default:
        break;
    }
    if (entry.is_node)
        context.node = number;
    // The nodes after a hub line are listed under the hub itself.
    if (entry.status == Status::Hub)
        context.under = {context.zone, context.net, context.node};
    context.address = {context.zone, context.net, context.node};

    // A node directly under a coordinator is labelled for it, whatever its
    // keyword said. The region test comes second and wins when both hold.
    if (context.net == context.zone && context.region == 0 && context.node != 0) {
        entry.status = Status::ZI;
        context.under = {context.zone, context.net, 0};
    }
    if (context.net == context.region && context.node != 0) {
        entry.status = Status::RI;
        context.under = {context.zone, context.region, 0};
    }
    entry.context = context;

    copy_name_field(entry.system_name, take_field(rest));
    copy_name_field(entry.location, take_field(rest));
    copy_name_field(entry.sysop, take_field(rest));
    entry.phone = take_field(rest);
    entry.baud_rate = take_field(rest);
    entry.flags = rest;
}

}  // namespace quorvel
