#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "run/platform.h"

// POSIX has no sharing modes. The one outcome of them the tool relies on, that
// the report is never opened onto the new list while that list is being read,
// is kept by comparing device and inode before anything is truncated.

namespace quorvel {

std::int32_t error_number(int native_error, IoOperation operation)
{
    switch (native_error) {
    case ENOENT:
    case ENOTDIR:
        return 1;
    case E2BIG:
        return 2;
    case ENOEXEC:
        return 3;
    case EBADF:
        return 4;
    case ENOMEM:
        return 5;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return 6;
    case EEXIST:
        return 7;
    case EXDEV:
        return 8;
    case EINVAL:
    case ENAMETOOLONG:
        return 9;
    case EMFILE:
    case ENFILE:
        return 11;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return operation == IoOperation::Write ? 12 : -1;
    default:
        return -1;
    }
}

namespace {

IoResult write_all(int descriptor, std::span<const char> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return {written, error_number(errno, IoOperation::Write)};
        if (count == 0)
            return {written, 12};  // fewer bytes written than asked
        written += static_cast<std::size_t>(count);
    }
    return {written, 0};
}

class PosixFile {
public:
    explicit PosixFile(int descriptor) : descriptor_(descriptor) {}
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    ~PosixFile() { close(); }

    int descriptor() const { return descriptor_; }

    // Hands the descriptor on to a stream that will own it.
    int release()
    {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return descriptor;
    }

    std::int32_t close()
    {
        if (descriptor_ < 0)
            return 0;
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0 ? 0 : error_number(errno, IoOperation::Close);
    }

private:
    int descriptor_;
};

class PosixInput final : public InputStream {
public:
    PosixInput(int descriptor, dev_t device, ino_t inode)
        : file_(descriptor), device_(device), inode_(inode)
    {
    }

    IoResult read(std::span<char> buffer) override
    {
        for (;;) {
            const ssize_t count = ::read(file_.descriptor(), buffer.data(), buffer.size());
            if (count >= 0)
                return {static_cast<std::size_t>(count), 0};
            if (errno != EINTR)
                return {0, error_number(errno, IoOperation::Read)};
        }
    }

    std::int32_t close() override { return file_.close(); }

    bool is_file(const struct stat& other) const
    {
        return other.st_dev == device_ && other.st_ino == inode_;
    }

private:
    PosixFile file_;
    dev_t device_;
    ino_t inode_;
};

class PosixOutput final : public OutputStream {
public:
    explicit PosixOutput(int descriptor) : file_(descriptor) {}

    IoResult write(std::span<const char> bytes) override
    {
        return write_all(file_.descriptor(), bytes);
    }

    std::int32_t close() override { return file_.close(); }

private:
    PosixFile file_;
};

class PosixFileSystem final : public FileSystem {
public:
    Opened<InputStream> open_list(const std::string& path) override
    {
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        PosixFile file(descriptor);
        struct stat status {};
        if (::fstat(descriptor, &status) != 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        // A directory opens for reading here but not where lists come from;
        // refuse it at the open, as access denied, rather than at the read.
        if (S_ISDIR(status.st_mode))
            return {nullptr, error_number(EISDIR, IoOperation::Open)};
        return {std::make_unique<PosixInput>(file.release(), status.st_dev, status.st_ino), 0};
    }

    Opened<OutputStream> open_report(const std::string& path,
                                     const InputStream& open_new_list) override
    {
        // Opened without O_TRUNC, so that a report naming the new list, by any
        // path, can be turned away before a byte of the list is lost.
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (descriptor < 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        PosixFile file(descriptor);
        struct stat status {};
        if (::fstat(descriptor, &status) != 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        const auto* new_list = dynamic_cast<const PosixInput*>(&open_new_list);
        if (new_list != nullptr && new_list->is_file(status))
            return {nullptr, -1};
        // Only a regular file is emptied; a device such as /dev/null is
        // written as it is.
        if (S_ISREG(status.st_mode) && ::ftruncate(descriptor, 0) != 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        return {std::make_unique<PosixOutput>(file.release()), 0};
    }
};

class PosixConsole final : public Console {
public:
    std::int32_t write(std::string_view text) override
    {
        return write_all(STDERR_FILENO, text).error;
    }
};

}  // namespace

FileSystem& native_file_system()
{
    static PosixFileSystem file_system;
    return file_system;
}

Console& native_console()
{
    static PosixConsole console;
    return console;
}

}  // namespace quorvel
