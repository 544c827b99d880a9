#include "run/run_sequence.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "compare/classification.h"
#include "compare/reference_table.h"
#include "compare/report.h"
#include "nodelist/entry_parser.h"
#include "run/error_indicator.h"
#include "run/list_reader.h"
#include "run/report_file.h"

namespace quorvel {

namespace {

constexpr std::string_view banner =
    "Quorvel v1.11 [Windows 95/NT] by Tollemar\n"
    "based on Quorvel v1.1 by Brisvold\n"
    "=============================================================================="
    "\n\n";

constexpr std::string_view usage =
    "Aufruf:   QUORVEL NetWork-File(old) NetWork-File(new) Output\n"
    "Beispiel: QUORVEL NET2433.159       NET2433.166       NET2433.DIF\n";

// Reported as too long, whatever the real fault, because that is the limit a
// line without its newline within reach has run into.
constexpr int reported_line_limit = 255;

// A stop carries the exit status the run ends with.
using Stop = std::optional<int>;

class Run {
public:
    Run(std::span<const std::string_view> arguments, FileSystem& files, Console& console)
        : old_name_(arguments[0]),
          new_name_(arguments[1]),
          report_name_(arguments[2]),
          old_shown_(files.shown_name(old_name_)),
          new_shown_(files.shown_name(new_name_)),
          files_(files),
          console_(console)
    {
    }

    int execute();

    // Memory is the one thing besides the files a run can run out of. That
    // ends it like a failed operation, with the number for lack of memory;
    // unwinding has closed the files and kept the report written so far.
    int stop_for_lack_of_memory()
    {
        errors_.note(5);
        return *check_io();
    }

private:
    Stop check_io()
    {
        if (errors_.number() == 0)
            return std::nullopt;
        return stop_on_io_error();
    }
    Stop stop_on_io_error();
    template <class EntryHandler>
    Stop read_list(const std::string& name, InputStream& list, EntryHandler handle_entry);

    const std::string old_name_;
    const std::string new_name_;
    const std::string report_name_;
    // The names as the report and the messages show them.
    const std::string old_shown_;
    const std::string new_shown_;
    FileSystem& files_;
    Console& console_;
    ErrorIndicator errors_;
    NodelistEntry entry_;
    ReferenceTable table_;
    std::uint32_t old_entries_ = 0;
    std::uint32_t compared_entries_ = 0;
};

// Ends the run after a failed file operation. The exit status is the printed
// number, unless writing the message failed as well. The message is built
// without allocating, as it may be the answer to running out of memory.
Stop Run::stop_on_io_error()
{
    constexpr std::string_view before = "I/O-Fehler ";
    constexpr std::string_view after = " occured -> program end.\n";
    std::array<char, before.size() + 11 + after.size()> message{};  // 11: "-2147483648"
    char* end = std::copy(before.begin(), before.end(), message.data());
    end = std::to_chars(end, message.data() + message.size(), errors_.number()).ptr;
    end = std::copy(after.begin(), after.end(), end);
    const std::int32_t console_error =
        console_.write({message.data(), static_cast<std::size_t>(end - message.data())});
    return console_error != 0 ? console_error : errors_.number();
}

// One pass over a list: every line is counted and checked, comments are
// passed over and each other line goes to handle_entry.
template <class EntryHandler>
Stop Run::read_list(const std::string& name, InputStream& list, EntryHandler handle_entry)
{
    ListReader reader(list);
    unsigned long line_number = 0;
    for (;;) {
        const ListReader::Result line = reader.next();
        errors_.note(reader.error());
        if (line.outcome == ListReader::Outcome::End)
            break;
        ++line_number;
        if (line.outcome == ListReader::Outcome::NoNewline) {
            console_.write("Error: Line " + std::to_string(line_number) + " (" + name +
                           ") exceeds " + std::to_string(reported_line_limit) +
                           " characters!\nProgram terminates!\n");
            return 1;
        }
        if (Stop stop = check_io())
            return stop;
        if (line.text.starts_with(';'))
            continue;
        if (Stop stop = handle_entry(line.text))
            return stop;
    }
    // A read error ends a pass as end of file does; it must not pass for one.
    return check_io();
}

int Run::execute()
{
    // Old pass: the old list is read whole, into the table, and closed before
    // anything else is opened.
    {
        Opened<InputStream> old_list = files_.open_list(old_name_);
        errors_.note(old_list.error);
        if (Stop stop = check_io())
            return *stop;
        AddressContext context;
        const Stop stop = read_list(old_shown_, *old_list.stream, [&](std::string_view line) {
            ++old_entries_;
            if (!is_blank_line(line)) {
                parse_entry(line, context, entry_);
                table_.store_entry(entry_);
            }
            return Stop{};
        });
        if (stop)
            return *stop;
        errors_.note(old_list.stream->close());
    }

    // The report is created only once the new list is open.
    Opened<InputStream> new_list = files_.open_list(new_name_);
    errors_.note(new_list.error);
    if (Stop stop = check_io())
        return *stop;
    Opened<OutputStream> report_stream = files_.open_report(report_name_, *new_list.stream);
    errors_.note(report_stream.error);
    if (Stop stop = check_io())
        return *stop;
    ReportFile report(std::move(report_stream.stream), errors_);
    report_header(report.text(), old_shown_, new_shown_);

    // New pass: every entry is classified and its line written at once. The
    // new list starts from a zero context as the old one did, so that the
    // same lines give the same addresses in both.
    AddressContext context;
    Stop stop = read_list(new_shown_, *new_list.stream, [&](std::string_view line) {
        ++compared_entries_;
        if (is_blank_line(line))
            return Stop{};
        parse_entry(line, context, entry_);
        const Classification change = classify_entry(table_, entry_);
        report_entry(report.text(), change, entry_);
        report.write_if_full();
        return check_io();
    });
    if (stop)
        return *stop;
    errors_.note(new_list.stream->close());

    // Lost sweep.
    table_.for_each_unmatched([&](const StoredEntry& old) {
        report_lost(report.text(), old);
        report.write_if_full();
        stop = check_io();
        return !stop;
    });
    if (stop)
        return *stop;

    report_footer(report.text());
    report.close();
    // A full disk may show only when the last of the report is written at
    // close; it must not end in success.
    if (Stop write_failed = check_io())
        return *write_failed;
    console_.write(std::to_string(old_entries_) + " old entries with " +
                   std::to_string(compared_entries_) + " entries compared\n");
    return 0;
}

}  // namespace

int run_quorvel(std::span<const std::string_view> arguments, FileSystem& files, Console& console)
{
    console.write(banner);
    if (arguments.size() != 3) {
        console.write(usage);
        return 1;
    }
    Run run(arguments, files, console);
    try {
        return run.execute();
    } catch (const std::bad_alloc&) {
        return run.stop_for_lack_of_memory();
    } catch (const std::length_error&) {  // more than the table can number
        return run.stop_for_lack_of_memory();
    }
}

}  // namespace quorvel
