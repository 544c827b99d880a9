// parse_entry on arbitrary lines: the line is left as it was, every field is
// a slice of it, and the context agrees with the entry.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "nodelist/entry_parser.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void require_slice(std::string_view field, std::string_view line)
{
    require(field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size());
}

void parse_and_check(const std::string& line, quorvel::AddressContext& context)
{
    const std::string before = line;
    quorvel::NodelistEntry entry;
    quorvel::parse_entry(line, context, entry);
    require(line == before);
    for (const std::string_view field : {entry.system_name, entry.location, entry.sysop,
                                         entry.phone(), entry.baud_rate(), entry.flags()})
        require_slice(field, line);
    for (const std::string_view field :
         {entry.system_name, entry.location, entry.sysop, entry.phone(), entry.baud_rate()})
        require(field.find(',') == std::string_view::npos);
    // The fields follow one another, a comma apart.
    require(entry.location.empty() ||
            entry.location.data() == entry.system_name.data() + entry.system_name.size() + 1);
    require(entry.flags().empty() ||
            entry.flags().data() == entry.baud_rate().data() + entry.baud_rate().size() + 1);
    require(entry.context.address == context.address);
    require(entry.context.under == context.under);
    require(context.address == (quorvel::Address{context.zone, context.net, context.node}));
    require(!quorvel::status_label(entry.status).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input holds several lines, parsed in turn through one context.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    quorvel::AddressContext context;
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t stop = input.find('\n', start);
        if (stop == std::string_view::npos)
            stop = input.size();
        parse_and_check(std::string(input.substr(start, stop - start)), context);
        start = stop + 1;
    }
    return 0;
}
