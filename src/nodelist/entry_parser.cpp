#include "nodelist/entry_parser.h"

#include <algorithm>

#include "nodelist/ascii.h"
#include "nodelist/field_splitter.h"

namespace quorvel {

namespace {

struct Keyword {
    std::string_view prefix;  // compared ignoring ASCII case, comma included
    Status status;
    bool is_node;
};

// A line matching none of these is a plain node whose first character (the
// comma of its empty keyword field) is skipped. No line can match two of
// them, so the order they are tried in does not matter.
constexpr Keyword zone{"zone,", Status::ZC, false};
constexpr Keyword region{"region,", Status::RC, false};
constexpr Keyword host{"host,", Status::Host, false};
constexpr Keyword hub{"hub,", Status::Hub, true};
constexpr Keyword pvt{"pvt,", Status::Pvt, true};
constexpr Keyword hold{"hold,", Status::Hold, true};
constexpr Keyword down{"down,", Status::Down, true};

// The keyword a line starts with, if any: the first letter leaves at most
// three to try. Most lines, plain nodes, start with a comma and try none.
const Keyword* keyword_of(std::string_view line)
{
    if (line.empty())
        return nullptr;
    const auto is = [line](const Keyword& keyword) {
        return starts_with_ignoring_ascii_case(line, keyword.prefix) ? &keyword : nullptr;
    };
    switch (fold_ascii(line.front())) {
    case 'z':
        return is(zone);
    case 'r':
        return is(region);
    case 'h':
        if (const Keyword* found = is(host))
            return found;
        if (const Keyword* found = is(hub))
            return found;
        return is(hold);
    case 'p':
        return is(pvt);
    case 'd':
        return is(down);
    default:
        return nullptr;
    }
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

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
    bool negative = false;
    if (!text.empty() && !is_digit(text.front())) {  // nearly every number starts with a digit
        while (i < text.size() && is_number_space(text[i]))
            ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            ++i;
        }
    }
    std::uint32_t value = 0;
    for (; i < text.size() && is_digit(text[i]); ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
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
    const Keyword* keyword = keyword_of(line);
    entry.keyword_status = keyword != nullptr ? keyword->status : Status::NN;
    entry.is_node = keyword != nullptr ? keyword->is_node : true;
    const std::size_t skip = keyword != nullptr ? keyword->prefix.size() : 1;
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
    entry.after_sysop = fields.rest();
}

std::string_view NodelistEntry::phone() const
{
    FieldSplitter fields(after_sysop.data(), after_sysop.data() + after_sysop.size());
    return fields.next();
}

std::string_view NodelistEntry::baud_rate() const
{
    FieldSplitter fields(after_sysop.data(), after_sysop.data() + after_sysop.size());
    fields.next();
    return fields.next();
}

std::string_view NodelistEntry::flags() const
{
    FieldSplitter fields(after_sysop.data(), after_sysop.data() + after_sysop.size());
    fields.next();
    fields.next();
    return fields.rest();
}

}  // namespace quorvel
