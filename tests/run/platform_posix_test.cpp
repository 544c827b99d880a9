#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <string>

#include "run/platform.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

TEST(ErrorNumber, MapsErrnoToTheToolsNumbering)
{
    struct Case {
        int native;
        IoOperation operation;
        std::int32_t number;
    };
    const Case cases[] = {
        {ENOENT, IoOperation::Open, 1},   {ENOTDIR, IoOperation::Open, 1},
        {E2BIG, IoOperation::Open, 2},    {ENOEXEC, IoOperation::Open, 3},
        {EBADF, IoOperation::Read, 4},    {ENOMEM, IoOperation::Open, 5},
        {EACCES, IoOperation::Open, 6},   {EPERM, IoOperation::Open, 6},
        {EISDIR, IoOperation::Open, 6},   {EROFS, IoOperation::Open, 6},
        {EEXIST, IoOperation::Open, 7},   {EXDEV, IoOperation::Open, 8},
        {EINVAL, IoOperation::Open, 9},   {ENAMETOOLONG, IoOperation::Open, 9},
        {EMFILE, IoOperation::Open, 11},  {ENFILE, IoOperation::Open, 11},
        {ENOSPC, IoOperation::Write, 12}, {EDQUOT, IoOperation::Write, 12},
        {EFBIG, IoOperation::Write, 12},  {ENOSPC, IoOperation::Open, -1},
        {EIO, IoOperation::Read, -1},     {EBUSY, IoOperation::Open, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        EXPECT_EQ(error_number(c.native, c.operation), c.number);
    }
}

TEST(NativeFileSystem, RefusesADirectoryAsAList)
{
    const test::TempDir dir;
    const Opened<InputStream> opened = native_file_system().open_list(dir.path().string());
    EXPECT_EQ(opened.stream, nullptr);
    EXPECT_EQ(opened.error, 6);
}

TEST(NativeFileSystem, NeverOpensTheReportOntoTheOpenNewList)
{
    const test::TempDir dir;
    const auto list = dir / "NEW";
    test::write_file(list, "Zone,2\r\n");
    std::filesystem::create_hard_link(list, dir / "LINK");
    std::filesystem::create_symlink(list, dir / "SYMLINK");
    std::filesystem::create_directory(dir / "sub");

    FileSystem& files = native_file_system();
    Opened<InputStream> new_list = files.open_list(list.string());
    ASSERT_NE(new_list.stream, nullptr);
    for (const auto& name : {list, dir / "LINK", dir / "SYMLINK", dir / "sub" / ".." / "NEW"}) {
        SCOPED_TRACE(name.string());
        const Opened<OutputStream> report = files.open_report(name.string(), *new_list.stream);
        EXPECT_EQ(report.stream, nullptr);
        EXPECT_EQ(report.error, -1);
        EXPECT_EQ(test::read_file(list), "Zone,2\r\n");
    }

    // Another file is created, or emptied when it exists.
    test::write_file(dir / "OUT", "old report");
    Opened<OutputStream> report = files.open_report((dir / "OUT").string(), *new_list.stream);
    ASSERT_NE(report.stream, nullptr);
    EXPECT_EQ(report.stream->close(), 0);
    EXPECT_EQ(test::read_file(dir / "OUT"), "");
}

TEST(NativeFileSystem, NeverClosesAnotherFilesDescriptor)
{
    // A list closed, then another opened (which gets the same descriptor
    // number), then the first one's stream destroyed: the second must stay
    // open.
    const test::TempDir dir;
    test::write_file(dir / "A", "first");
    test::write_file(dir / "B", "second");
    FileSystem& files = native_file_system();
    Opened<InputStream> first = files.open_list((dir / "A").string());
    ASSERT_NE(first.stream, nullptr);
    EXPECT_EQ(first.stream->close(), 0);
    Opened<InputStream> second = files.open_list((dir / "B").string());
    ASSERT_NE(second.stream, nullptr);
    first.stream.reset();
    std::array<char, 16> buffer{};
    const IoResult read = second.stream->read(buffer);
    EXPECT_EQ(read.error, 0);
    EXPECT_EQ(std::string(buffer.data(), read.bytes), "second");
}

TEST(NativeFileSystem, ReportsAFullDiskOnWriteAsTwelve)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "/dev/full is not on this system";
    test::TempDir dir;
    test::write_file(dir / "NEW", "");
    FileSystem& files = native_file_system();
    Opened<InputStream> new_list = files.open_list((dir / "NEW").string());
    Opened<OutputStream> report = files.open_report("/dev/full", *new_list.stream);
    ASSERT_NE(report.stream, nullptr);
    EXPECT_EQ(report.stream->write(std::span<const char>("x", 1)).error, 12);
}

}  // namespace
}  // namespace quorvel
