#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "run/platform.h"
#include "run/run_sequence.h"
#include "support/fake_files.h"
#include "support/fault_lists.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

TEST(ErrorNumber, MapsWindowsSystemErrorsToTheToolsNumbering)
{
    struct Case {
        DWORD native;
        std::int32_t number;
    };
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, 1},     {ERROR_PATH_NOT_FOUND, 1},      {ERROR_INVALID_NAME, 1},
        {ERROR_NO_MORE_FILES, 1},      {ERROR_BAD_ENVIRONMENT, 2},     {ERROR_BAD_FORMAT, 3},
        {ERROR_INVALID_HANDLE, 4},     {ERROR_NOT_ENOUGH_MEMORY, 5},   {ERROR_ARENA_TRASHED, 5},
        {ERROR_ACCESS_DENIED, 6},      {ERROR_CURRENT_DIRECTORY, 6},   {ERROR_FILE_EXISTS, 7},
        {ERROR_OUTOFMEMORY, 7},        {ERROR_NOT_SAME_DEVICE, 8},     {ERROR_INVALID_FUNCTION, 9},
        {ERROR_INVALID_DRIVE, 9},      {ERROR_INVALID_PARAMETER, 9},   {ERROR_FILENAME_EXCED_RANGE, 9},
        {ERROR_TOO_MANY_OPEN_FILES, 11}, {ERROR_SHARING_VIOLATION, -1}, {ERROR_LOCK_VIOLATION, -1},
        {ERROR_NOT_READY, -1},         {ERROR_READ_FAULT, -1},         {ERROR_DISK_FULL, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(error_number(static_cast<int>(c.native), IoOperation::Open), c.number);
    }
}

TEST(NativeFileSystem, DeniesWritersWhileAListIsOpen)
{
    const test::TempDir dir;
    const auto list = dir / "NEW";
    test::write_file(list, "Zone,2\r\n");
    FileSystem& files = native_file_system();
    Opened<InputStream> new_list = files.open_list(list.string());
    ASSERT_NE(new_list.stream, nullptr);

    const Opened<OutputStream> report = files.open_report(list.string(), *new_list.stream);
    EXPECT_EQ(report.stream, nullptr);
    EXPECT_EQ(report.error, -1);
    EXPECT_EQ(test::read_file(list), "Zone,2\r\n");

    // Readers are let in.
    EXPECT_EQ(test::read_file(list), "Zone,2\r\n");
}

TEST(NativeFileSystem, RefusesAFolderAsAList)
{
    const test::TempDir dir;
    const Opened<InputStream> opened = native_file_system().open_list(dir.path().string());
    EXPECT_EQ(opened.stream, nullptr);
    EXPECT_EQ(opened.error, 6);
}

// Faults injected into the platform layer's calls of ReadFile, WriteFile and
// CloseHandle. The layer is linked into this program and calls the system
// through the program's import table, so replacing an entry there puts a
// faulty stand-in in front of the real function for as long as the patch
// lives. (Windows has no interrupted calls to inject: EINTR is POSIX's.)
class ImportPatch {
public:
    ImportPatch(const char* function, void* stand_in)
    {
        const auto real = reinterpret_cast<ULONG_PTR>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), function));
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             library->Name != 0; ++library) {
            for (auto* entry = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
                 entry->u1.Function != 0; ++entry) {
                if (entry->u1.Function == real)
                    slot_ = &entry->u1.Function;
            }
        }
        if (slot_ == nullptr)
            throw std::runtime_error(std::string("no import of ") + function);
        original_ = *slot_;
        set(reinterpret_cast<ULONG_PTR>(stand_in));
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch() { set(original_); }

    template <class Function>
    Function original() const
    {
        return reinterpret_cast<Function>(original_);
    }

private:
    void set(ULONG_PTR value)
    {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    ULONG_PTR* slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

// What the stand-ins do; each test sets what it needs.
struct Faults {
    std::size_t bytes_readable = std::numeric_limits<std::size_t>::max();
    DWORD longest_write = std::numeric_limits<DWORD>::max();
    bool closes_fail = false;
    const ImportPatch* read = nullptr;
    const ImportPatch* write = nullptr;
    const ImportPatch* close = nullptr;
};
Faults faults;

BOOL WINAPI faulty_read(HANDLE file, LPVOID buffer, DWORD wanted, LPDWORD count, LPOVERLAPPED overlapped)
{
    if (faults.bytes_readable == 0) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    wanted = static_cast<DWORD>(std::min<std::size_t>(wanted, faults.bytes_readable));
    const BOOL done = faults.read->original<decltype(&ReadFile)>()(file, buffer, wanted, count, overlapped);
    if (done && faults.bytes_readable != std::numeric_limits<std::size_t>::max())
        faults.bytes_readable -= *count;
    return done;
}

BOOL WINAPI faulty_write(HANDLE file, LPCVOID bytes, DWORD wanted, LPDWORD count, LPOVERLAPPED overlapped)
{
    return faults.write->original<decltype(&WriteFile)>()(
        file, bytes, std::min(wanted, faults.longest_write), count, overlapped);
}

BOOL WINAPI faulty_close(HANDLE handle)
{
    const BOOL closed = faults.close->original<decltype(&CloseHandle)>()(handle);
    if (!faults.closes_fail)
        return closed;
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
}

// The three stand-ins in place for one test.
class InjectedFaults {
public:
    explicit InjectedFaults(const Faults& wanted)
    {
        faults = wanted;
        faults.read = &read_;
        faults.write = &write_;
        faults.close = &close_;
    }
    ~InjectedFaults() { faults = {}; }

private:
    ImportPatch read_{"ReadFile", reinterpret_cast<void*>(&faulty_read)};
    ImportPatch write_{"WriteFile", reinterpret_cast<void*>(&faulty_write)};
    ImportPatch close_{"CloseHandle", reinterpret_cast<void*>(&faulty_close)};
};

using namespace test::fault_lists;

// Whole runs on real files through the Windows layer, with faults injected;
// the console is held in memory.
TEST(WindowsFaults, EachFaultEndsAsItMust)
{
    const std::size_t second_line_of_new = new_list.find('\n', new_list.find('\n') + 1) + 1;
    const std::size_t third_line_of_new = new_list.find('\n', second_line_of_new) + 1;
    struct Case {
        const char* what;
        Faults faults;
        int status;
        std::string console;  // after the banner
        std::string report;   // left on disk; "<none>" for no file
    };
    const std::vector<Case> cases = {
        {"a read of the old list fails part-way", {.bytes_readable = old_list.find('\n') + 1}, -1,
         io_error(-1), "<none>"},
        {"a read of the new list fails part-way",
         {.bytes_readable = old_list.size() + third_line_of_new}, -1, io_error(-1), header + changed},
        {"short writes of the report", {.longest_write = 7}, 0,
         "4 old entries with 4 entries compared\n", report},
        {"writes of the report that take nothing", {.longest_write = 0}, 12, io_error(12), ""},
        {"every close fails", {.closes_fail = true}, -1, io_error(-1), "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const test::TempDir dir;
        test::write_file(dir / "OLD", old_list);
        test::write_file(dir / "NEW", new_list);
        const std::string old_name = (dir / "OLD").string();
        const std::string new_name = (dir / "NEW").string();
        const std::string report_name = (dir / "OUT").string();
        const std::vector<std::string_view> arguments = {old_name, new_name, report_name};
        test::FakeConsole console;
        int status = 0;
        {
            const InjectedFaults injected(c.faults);
            status = run_quorvel(arguments, native_file_system(), console);
        }
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(console.written.substr(console.written.find("\n\n") + 2), c.console);
        std::string expected = c.report;
        if (expected.starts_with(header))
            expected.replace(0, header.size(),
                             "\r\nComparing " + old_name + " and " + new_name + ":\r\n\r\n");
        if (expected == "<none>") {
            EXPECT_FALSE(std::filesystem::exists(dir / "OUT"));
        } else {
            EXPECT_EQ(test::read_file(dir / "OUT"), expected);
        }
        EXPECT_EQ(test::read_file(dir / "OLD"), old_list);
        EXPECT_EQ(test::read_file(dir / "NEW"), new_list);
    }
}

TEST(WindowsFaults, AFailedCloseOfTheReportIsAnError)
{
    const test::TempDir dir;
    test::write_file(dir / "NEW", new_list);
    FileSystem& files = native_file_system();
    Opened<InputStream> list = files.open_list((dir / "NEW").string());
    Opened<OutputStream> out = files.open_report((dir / "OUT").string(), *list.stream);
    ASSERT_NE(out.stream, nullptr);
    EXPECT_EQ(out.stream->write(std::span<const char>("x", 1)).error, 0);
    const InjectedFaults injected({.closes_fail = true});
    EXPECT_EQ(out.stream->close(), -1);
}

}  // namespace
}  // namespace quorvel
