// A whole run on two arbitrary lists held in memory. When it completes, the
// report must be well formed and hold exactly the lines that a plain linear
// search over the old entries gives: one line for each new entry that is not
// unchanged, then one for each old entry left unmatched.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "compare/report.h"
#include "nodelist/entry_parser.h"
#include "run/list_reader.h"
#include "run/run_sequence.h"
#include "support/fake_files.h"
#include "support/memory_streams.h"

namespace {

using namespace quorvel;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

struct Kept {
    Address address;
    Under under;
    Status status;
    Status keyword_status;
    std::string sysop;
    bool unmatched = true;
};

// The entries of a list, each list read from a zero context.
std::vector<Kept> entries_of(const std::string& bytes)
{
    test::MemoryInput input(bytes);
    ListReader reader(input);
    AddressContext context;
    std::vector<Kept> kept;
    for (ListReader::Result line = reader.next(); line.outcome == ListReader::Outcome::Line;
         line = reader.next()) {
        if (line.text.starts_with(';') || is_blank_line(line.text))
            continue;
        NodelistEntry entry;
        parse_entry(line.text, context, entry);
        kept.push_back({entry.context.address, entry.context.under, entry.status,
                        entry.keyword_status, std::string(entry.sysop)});
    }
    return kept;
}

std::string expected_report(const std::string& old_bytes, const std::string& new_bytes)
{
    std::vector<Kept> old_entries = entries_of(old_bytes);
    const std::vector<Kept> new_entries = entries_of(new_bytes);
    std::string report;
    report_header(report, "OLD", "NEW");
    for (const Kept& item : new_entries) {
        Kept* match = nullptr;
        for (Kept& old : old_entries)
            if (old.address == item.address && old.unmatched) {
                match = &old;
                break;
            }
        for (Kept& old : old_entries)
            if (match == nullptr && old.address == item.address)
                match = &old;
        NodelistEntry entry;
        entry.context.address = item.address;
        entry.context.under = item.under;
        entry.status = item.status;
        entry.keyword_status = item.keyword_status;
        entry.sysop = item.sysop;
        if (match == nullptr) {
            report_entry(report, {ChangeKind::NewNode, Status::NN, Status::NN, {}}, entry);
            continue;
        }
        match->unmatched = false;
        const bool independent = item.status == Status::ZI || item.status == Status::RI;
        if (match->status != item.status)
            report_entry(report, {ChangeKind::StatusChanged, match->status, item.status, {}}, entry);
        else if (independent && match->keyword_status != item.keyword_status)
            report_entry(report,
                         {ChangeKind::StatusChanged, match->keyword_status, item.keyword_status, {}},
                         entry);
        else if (!names_equal(match->sysop, item.sysop))
            report_entry(report,
                         {ChangeKind::SysopChanged, match->status, item.status, match->sysop}, entry);
    }
    for (const Kept& old : old_entries)
        if (old.unmatched)
            report_lost(report, {old.address, old.under, old.status, old.keyword_status, old.sysop});
    report_footer(report);
    return report;
}

bool is_address(std::string_view& text)
{
    const auto number = [&text]() {
        std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
        const std::size_t first = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        const bool found = i > first;
        text.remove_prefix(i);
        return found;
    };
    const auto literal = [&text](char c) {
        if (text.empty() || text[0] != c)
            return false;
        text.remove_prefix(1);
        return true;
    };
    return number() && literal(':') && number() && literal('/') && number();
}

void check_line(std::string_view line)
{
    // Nothing from a list may break the report's lines or drive a terminal.
    for (const char c : line)
        require(c == '\t' || static_cast<unsigned char>(c) > 0x1f);
    const std::size_t length = line.size();
    require(is_address(line));
    // Filled with spaces to 13 characters, never cut, then one space.
    const std::size_t width = length - line.size();
    std::size_t spaces = 0;
    for (; !line.empty() && line[0] == ' '; ++spaces)
        line.remove_prefix(1);
    require(width < 13 ? width + spaces == 14 : spaces == 1);
    require(line.starts_with("(under "));
    line.remove_prefix(7);
    require(line.starts_with(")") || is_address(line));
    require(line.starts_with("): ") && line.ends_with(")"));
    line.remove_prefix(3);
    require(line.starts_with("New node (") || line.starts_with("New sysop ") ||
            line.starts_with("Lost node (was: ") || line.find(" to ") != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The old and the new list, parted by the first 0xFF byte.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t part = input.find('\xff');
    const std::string old_bytes = input.substr(0, part);
    const std::string new_bytes = part == std::string::npos ? old_bytes : input.substr(part + 1);

    test::FakeFiles files;
    files.add_list("OLD", old_bytes);
    files.add_list("NEW", new_bytes);
    test::FakeConsole console;
    const std::vector<std::string_view> arguments = {"OLD", "NEW", "OUT"};
    const int status = run_quorvel(arguments, files, console);
    if (status != 0) {
        require(status == 1 && console.written.find("exceeds 255 characters!") != std::string::npos);
        return 0;
    }
    const std::string& report = files.reports["OUT"];
    require(report == expected_report(old_bytes, new_bytes));

    const std::string header = "\r\nComparing OLD and NEW:\r\n\r\n";
    const std::string footer = "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";
    require(report.starts_with(header) && report.ends_with(footer));
    std::string_view body(report);
    body = body.substr(header.size(), body.size() - header.size() - footer.size());
    while (!body.empty()) {
        const std::size_t line_end = body.find("\r\n");
        require(line_end != std::string_view::npos);
        check_line(body.substr(0, line_end));
        body.remove_prefix(line_end + 2);
    }
    return 0;
}
