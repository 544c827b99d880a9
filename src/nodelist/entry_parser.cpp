#include "nodelist/entry_parser.h"

#include <algorithm>
#include <array>

#include "nodelist/ascii.h"
#include "nodelist/field_splitter.h"

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

// Keywords start with one of these letters; most lines, plain nodes, start
// with the comma of an empty keyword field and need no further test.
bool may_start_keyword(char first)
{
    const char c = fold_ascii(first);
    return c == 'z' || c == 'r' || c == 'h' || c == 'p' || c == 'd';
}

char name_byte(char c)
{
    return c == '_' ? ' ' : fold_ascii(c);
}

}  // namespace

void copy_name_field(std::string& destination, std::string_view source)
{
    const std::size_t start = destination.size();
    destination += source;
    std::replace(destination.begin() + static_cast<std::ptrdiff_t>(start), destination.end(), '_',
                 ' ');
}

bool names_equal(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (name_byte(a[i]) != name_byte(b[i]))
            return false;
    return true;
}

bool is_blank_line(std::string_view line)
{
    for (const char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

void parse_entry(std::string_view line, AddressContext& context, NodelistEntry& entry)
{
    entry.keyword_status = Status::NN;
    entry.is_node = true;
    std::size_t skip = 1;
    if (!line.empty() && may_start_keyword(line.front())) {
        for (const Keyword& keyword : keywords) {
            if (starts_with_ignoring_ascii_case(line, keyword.prefix)) {
                entry.keyword_status = keyword.status;
                entry.is_node = keyword.is_node;
                skip = keyword.prefix.size();
                break;
            }
        }
    }
    entry.status = entry.keyword_status;

    const std::string_view rest = line.substr(std::min(skip, line.size()));
    FieldSplitter fields(rest.data(), rest.data() + rest.size());
    const std::int32_t number = read_number(fields.next());

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
    // keyword said; the keyword's status is kept in keyword_status. The
    // region test comes second and wins when both hold.
    if (context.net == context.zone && context.region == 0 && context.node != 0) {
        entry.status = Status::ZI;
        context.under = {context.zone, context.net, 0};
    }
    if (context.net == context.region && context.node != 0) {
        entry.status = Status::RI;
        context.under = {context.zone, context.region, 0};
    }
    entry.context = context;

    entry.system_name = fields.next();
    entry.location = fields.next();
    entry.sysop = fields.next();
    entry.phone = fields.next();
    entry.baud_rate = fields.next();
    entry.flags = fields.rest();
}

}  // namespace quorvel
