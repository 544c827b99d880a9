#include "compare/report.h"

namespace quorvel {

namespace {

constexpr std::string_view line_end = "\r\n";
constexpr std::size_t address_width = 13;

// "%-13s (under %s): " -- the address filled with spaces to 13 characters but
// never cut when longer.
void append_line_start(std::string& out, Address address, const Under& under)
{
    const std::size_t start = out.size();
    append_address_text(out, address);
    const std::size_t width = out.size() - start;
    if (width < address_width)
        out.append(address_width - width, ' ');
    out += " (under ";
    append_under_text(out, under);
    out += "): ";
}

// A sysop name as the report shows it: underscores as spaces, and every
// control byte but tab as "?". Lists come from other people; a CR kept in a
// name must not break the report's lines, nor an escape sequence drive the
// terminal of whoever reads it. Bytes 0x80-0xFF are letters of the lists'
// code page and stay.
void append_name(std::string& out, std::string_view name)
{
    const std::size_t start = out.size();
    copy_name_field(out, name);
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] >= '\x01' && out[i] <= '\x1f' && out[i] != '\t')
            out[i] = '?';
}

// A file name from the command line: a line feed in it ends a report line
// like any other, in CR LF.
void append_file_name(std::string& out, std::string_view name)
{
    for (const char c : name) {
        if (c == '\n')
            out += line_end;
        else
            out += c;
    }
}

// A plain node shows as "./." in a status change.
std::string_view shown_status(Status status)
{
    return status == Status::NN ? "./." : status_label(status);
}

}  // namespace

void report_header(std::string& out, std::string_view old_name, std::string_view new_name)
{
    out += line_end;
    out += "Comparing ";
    append_file_name(out, old_name);
    out += " and ";
    append_file_name(out, new_name);
    out += ":";
    out += line_end;
    out += line_end;
}

void report_entry(std::string& out, const Classification& change, const NodelistEntry& entry)
{
    switch (change.kind) {
    case ChangeKind::Unchanged:
        return;
    case ChangeKind::NewNode:
        append_line_start(out, entry.context.address, entry.context.under);
        out += "New node (";
        append_name(out, entry.sysop);
        out += ")";
        break;
    case ChangeKind::StatusChanged:
        append_line_start(out, entry.context.address, entry.context.under);
        out += shown_status(change.old_status);
        out += " to ";
        out += shown_status(change.new_status);
        out += " (";
        append_name(out, entry.sysop);
        out += ")";
        break;
    case ChangeKind::SysopChanged:
        append_line_start(out, entry.context.address, entry.context.under);
        out += "New sysop ";
        append_name(out, entry.sysop);
        out += " (was: ";
        append_name(out, change.old_sysop);
        out += ")";
        break;
    }
    out += line_end;
}

void report_lost(std::string& out, const StoredEntry& old)
{
    append_line_start(out, old.address, old.under);
    out += "Lost node (was: ";
    append_name(out, old.sysop);
    out += ")";
    out += line_end;
}

void report_footer(std::string& out)
{
    out += line_end;
    out += "...produced by Quorvel v1.11 [Windows 95/NT]";
    out += line_end;
}

}  // namespace quorvel
