#include "compare/report.h"

namespace quorvel {

namespace {

constexpr std::string_view line_end = "\r\n";
constexpr std::size_t address_width = 13;

// "%-13s (under %s): " -- the address filled with spaces to 13 characters but
// never cut when longer.
void append_line_start(std::string& out, Address address, Address under)
{
    const std::size_t start = out.size();
    append_address_text(out, address);
    const std::size_t width = out.size() - start;
    if (width < address_width)
        out.append(address_width - width, ' ');
    out += " (under ";
    append_address_text(out, under);
    out += "): ";
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
    out += old_name;
    out += " and ";
    out += new_name;
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
        copy_name_field(out, entry.sysop);
        out += ")";
        break;
    case ChangeKind::StatusChanged:
        append_line_start(out, entry.context.address, entry.context.under);
        out += shown_status(change.old_status);
        out += " to ";
        out += shown_status(entry.status);
        out += " (";
        copy_name_field(out, entry.sysop);
        out += ")";
        break;
    case ChangeKind::SysopChanged:
        append_line_start(out, entry.context.address, entry.context.under);
        out += "New sysop ";
        copy_name_field(out, entry.sysop);
        out += " (was: ";
        copy_name_field(out, change.old_sysop);
        out += ")";
        break;
    }
    out += line_end;
}

void report_lost(std::string& out, const StoredEntry& old)
{
    append_line_start(out, old.address, old.under);
    out += "Lost node (was: ";
    copy_name_field(out, old.sysop);
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
