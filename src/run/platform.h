#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The one place the tool meets the platform's files. Every error leaves here
// already turned into the tool's own error number (1 not found, 6 access
// denied, 12 disk full on a write, -1 anything else, ...), which is what the
// run prints and exits with.

// What one read, write or close did. error is 0 on success.
struct IoResult {
    std::size_t bytes = 0;
    std::int32_t error = 0;
};

// A list opened for reading. While it is open, other programs may read the
// file but not write it where the platform can enforce that.
class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to buffer.size() bytes; no bytes and no error is end of file.
    virtual IoResult read(std::span<char> buffer) = 0;
    // Closes the file; later calls do nothing.
    virtual std::int32_t close() = 0;
};

// The report, opened for writing as raw bytes.
class OutputStream {
public:
    virtual ~OutputStream() = default;
    virtual IoResult write(std::span<const char> bytes) = 0;
    virtual std::int32_t close() = 0;
};

template <class Stream>
struct Opened {
    std::unique_ptr<Stream> stream;  // null when the open failed
    std::int32_t error = 0;
};

// Files are named as the command line gives them; on Windows that is UTF-8,
// taken from the wide command line, so that any name can be opened.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // How the report and the messages show a file name: as given, but on
    // Windows in the ANSI code page, as the console and older tools read it,
    // with "?" for a character it cannot hold.
    virtual std::string shown_name(const std::string& path) const { return path; }
    virtual Opened<InputStream> open_list(const std::string& path) = 0;
    // Creates or empties the report. It must never be the new list, which is
    // open for reading: that open fails with -1, as a sharing violation does,
    // and leaves the list untouched.
    virtual Opened<OutputStream> open_report(const std::string& path,
                                             const InputStream& open_new_list) = 0;
};

// The standard error stream, unbuffered so that each message shows at once.
class Console {
public:
    virtual ~Console() = default;
    // Writes text, each newline as the platform's line end; returns the error
    // number of a failed write, 0 on success.
    virtual std::int32_t write(std::string_view text) = 0;
};

// The platform's own files and standard error stream.
FileSystem& native_file_system();
Console& native_console();

// The command line's arguments after the program name. On Windows they come
// from the wide command line, as UTF-8, so that a name outside the ANSI code
// page is not lost before it is opened.
std::vector<std::string> native_arguments(int argc, char** argv);

// Readies the process for a run. On POSIX a write to a pipe that nobody
// reads, or past the file-size limit, must fail like any other write (EPIPE,
// EFBIG) and be reported so, rather than kill the process without a word.
void prepare_native_process();

// The kind of operation that failed, for the few error codes whose number
// depends on it (a full disk is 12 on a write, -1 elsewhere).
enum class IoOperation { Open, Read, Write, Close };

// The platform's error code (errno, or the Windows system error code) in the
// tool's numbering.
std::int32_t error_number(int native_error, IoOperation operation);

}  // namespace quorvel
