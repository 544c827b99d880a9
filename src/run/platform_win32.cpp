#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <string>

#include "run/platform.h"

// Lists and report are opened sharing read access only: while the tool runs,
// other programs may read them but not write them. So the report can never be
// opened onto the new list, which is open for reading: that open fails with a
// sharing violation before anything is truncated. The new list is also
// recognised by its file identity before the report is opened for writing,
// so that a new list the user may not write ends the same way.
//
// File names are handled in UTF-16 (the wide command line, CreateFileW), so
// that a name the ANSI code page cannot hold still opens; the report and the
// messages show names in the ANSI code page, as they always have.

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

std::wstring wide(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

std::string narrow(std::wstring_view text, UINT code_page)
{
    if (text.empty())
        return {};
    // In the ANSI code page a character it cannot hold becomes "?", never a
    // look-alike that names another file.
    const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(code_page, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(code_page, flags, text.data(), size, bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

// CreateFileW, but refusing a name of MAX_PATH characters or more as the
// ANSI functions the tool once used did: that is "file name too long" (9),
// where the wide functions would go on and fail with another number.
HANDLE open_file(const std::wstring& name, DWORD access, DWORD share, DWORD disposition)
{
    if (name.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// What tells one file from another, whatever name or link it is opened by.
struct FileIdentity {
    DWORD volume = 0;
    DWORD index_high = 0;
    DWORD index_low = 0;
    bool known = false;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity identity_of(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information))
        return {};
    return {information.dwVolumeSerialNumber, information.nFileIndexHigh,
            information.nFileIndexLow, true};
}

// The identity of the file a name leads to, opened without asking for any
// access, which no sharing mode refuses.
FileIdentity identity_of(const std::wstring& path)
{
    const HANDLE handle =
        open_file(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    const FileIdentity identity = identity_of(handle);
    CloseHandle(handle);
    return identity;
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
    explicit WindowsInput(HANDLE handle) : file_(handle), identity_(identity_of(handle)) {}

    bool is_file(const FileIdentity& other) const { return identity_.known && identity_ == other; }

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
    FileIdentity identity_;
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
    std::string shown_name(const std::string& path) const override
    {
        return narrow(wide(path), CP_ACP);
    }

    Opened<InputStream> open_list(const std::string& path) override
    {
        const HANDLE handle = open_file(wide(path), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE)
            return {nullptr, last_error(IoOperation::Open)};
        return {std::make_unique<WindowsInput>(handle), 0};
    }

    Opened<OutputStream> open_report(const std::string& path,
                                     const InputStream& open_new_list) override
    {
        const std::wstring name = wide(path);
        const auto* new_list = dynamic_cast<const WindowsInput*>(&open_new_list);
        if (new_list != nullptr && new_list->is_file(identity_of(name)))
            return {nullptr, -1};
        const HANDLE handle = open_file(name, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        if (handle == INVALID_HANDLE_VALUE)
            return {nullptr, last_error(IoOperation::Open)};
        return {std::make_unique<WindowsOutput>(handle), 0};
    }
};

// The console's line end is CR LF: each newline is written as one. The text
// goes out through a buffer on the stack, as it may be the message that
// answers running out of memory.
class WindowsConsole final : public Console {
public:
    std::int32_t write(std::string_view text) override
    {
        const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
        std::array<char, 512> converted{};
        std::size_t used = 0;
        for (const char c : text) {
            if (used + 2 > converted.size()) {
                if (const std::int32_t error = write_all(console, {converted.data(), used}).error)
                    return error;
                used = 0;
            }
            if (c == '\n')
                converted[used++] = '\r';
            converted[used++] = c;
        }
        return write_all(console, {converted.data(), used}).error;
    }
};

}  // namespace

std::vector<std::string> native_arguments(int, char**)
{
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i)
        arguments.push_back(narrow(words[i], CP_UTF8));
    LocalFree(words);
    return arguments;
}

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
