#include <windows.h>

#include <gtest/gtest.h>

#include "run/platform.h"
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

}  // namespace
}  // namespace quorvel
