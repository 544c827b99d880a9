#include <windows.h>

#include <algorithm>
#include <string>

#include "run/platform.h"

// Lists and report are opened sharing read access only: while the tool runs,
// other programs may read them but not write them. So the report can never be
// opened onto the new list, which is open for reading: that open fails with a
// sharing violation before anything is truncated.

namespace quorvel {

std::int32_t error_number(int native_error, IoOperation)
{
    switch (static_cast<DWORD>(native_error)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return 1;
    case ERROR_BAD_ENVIRONMENT:
        return 2;
    case ERROR_BAD_FORMAT:
        return 3;
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_TARGET_HANDLE:
    case ERROR_DIRECT_ACCESS_HANDLE:
        return 4;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_ARENA_TRASHED:
    case ERROR_INVALID_BLOCK:
        return 5;
    case ERROR_ACCESS_DENIED:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
    case ERROR_FAIL_I24:
    case ERROR_DRIVE_LOCKED:
    case ERROR_SEEK_ON_DEVICE:
    case ERROR_NOT_LOCKED:
    case ERROR_LOCK_FAILED:
        return 6;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_OUTOFMEMORY:
        return 7;
    case ERROR_NOT_SAME_DEVICE:
        return 8;
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_ACCESS:
    case ERROR_INVALID_DATA:
    case ERROR_INVALID_PARAMETER:
    case ERROR_NEGATIVE_SEEK:
    case ERROR_FILENAME_EXCED_RANGE:
        return 9;
    case ERROR_TOO_MANY_OPEN_FILES:
        return 11;
    default:
        // Sharing and lock violations, a drive not ready, read faults and a
        // full disk reported by the system among them.
        return -1;
    }
}

namespace {

std::int32_t last_error(IoOperation operation)
{
    return error_number(static_cast<int>(GetLastError()), operation);
}

IoResult write_all(HANDLE handle, std::span<const char> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
        DWORD count = 0;
        if (!WriteFile(handle, bytes.data() + written, chunk, &count, nullptr))
            return {written, last_error(IoOperation::Write)};
        if (count == 0)
            return {written, 12};  // fewer bytes written than asked
        written += count;
    }
    return {written, 0};
}

class WindowsFile {
public:
    explicit WindowsFile(HANDLE handle) : handle_(handle) {}
    WindowsFile(const WindowsFile&) = delete;
    WindowsFile& operator=(const WindowsFile&) = delete;
    ~WindowsFile() { close(); }

    HANDLE handle() const { return handle_; }

    std::int32_t close()
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return 0;
        const BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : last_error(IoOperation::Close);
    }

private:
    HANDLE handle_;
};

class WindowsInput final : public InputStream {
public:
    explicit WindowsInput(HANDLE handle) : file_(handle) {}

    IoResult read(std::span<char> buffer) override
    {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
        if (ReadFile(file_.handle(), buffer.data(), wanted, &count, nullptr))
            return {count, 0};
        if (GetLastError() == ERROR_BROKEN_PIPE)
            return {0, 0};  // the writing end of a pipe has closed: end of file
        return {0, last_error(IoOperation::Read)};
    }

    std::int32_t close() override { return file_.close(); }

private:
    WindowsFile file_;
};

class WindowsOutput final : public OutputStream {
public:
    explicit WindowsOutput(HANDLE handle) : file_(handle) {}

    IoResult write(std::span<const char> bytes) override
    {
        return write_all(file_.handle(), bytes);
    }

    std::int32_t close() override { return file_.close(); }

private:
    WindowsFile file_;
};

class WindowsFileSystem final : public FileSystem {
public:
    Opened<InputStream> open_list(const std::string& path) override
    {
        const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return {nullptr, last_error(IoOperation::Open)};
        return {std::make_unique<WindowsInput>(handle), 0};
    }

    Opened<OutputStream> open_report(const std::string& path, const InputStream&) override
    {
        const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return {nullptr, last_error(IoOperation::Open)};
        return {std::make_unique<WindowsOutput>(handle), 0};
    }
};

// The console's line end is CR LF: each newline is written as one.
class WindowsConsole final : public Console {
public:
    std::int32_t write(std::string_view text) override
    {
        std::string converted;
        converted.reserve(text.size() + 8);
        for (const char c : text) {
            if (c == '\n')
                converted += '\r';
            converted += c;
        }
        return write_all(GetStdHandle(STD_ERROR_HANDLE), converted).error;
    }
};

}  // namespace

void prepare_native_process() {}

FileSystem& native_file_system()
{
    static WindowsFileSystem file_system;
    return file_system;
}

Console& native_console()
{
    static WindowsConsole console;
    return console;
}

}  // namespace quorvel
