#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "run/platform.h"

// POSIX has no sharing modes. What the tool relies on of them is kept here:
// - the report is never opened onto the new list: the new list is recognised
//   by device and inode, under any name or link, before the report is opened
//   for writing, and once more before anything is truncated;
// - two runs never write one report at once, nor does one empty a list that
//   another is reading: a report that is a regular file is locked exclusively
//   before it is emptied, and lists that are regular files are read under a
//   shared lock. These are advisory locks (flock): they bind runs of this
//   tool, not programs that do not ask for them. Where a file system has no
//   such locks, the run goes on without them.

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

std::vector<std::string> native_arguments(int argc, char** argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}

void prepare_native_process()
{
    std::signal(SIGPIPE, SIG_IGN);
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

namespace {

// Takes a lock without waiting: 0 when taken or when the file system offers
// none, -1 (as a sharing violation) when another run holds a conflicting one.
std::int32_t lock(int descriptor, int operation)
{
    int result = 0;
    do
        result = ::flock(descriptor, operation | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return 0;
    switch (errno) {
    case EWOULDBLOCK:
        return -1;
    case ENOLCK:
    case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
    case ENOTSUP:
#endif
        return 0;
    default:
        return error_number(errno, IoOperation::Open);
    }
}

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

    bool is_file(const std::string& path) const
    {
        struct stat status {};
        return ::stat(path.c_str(), &status) == 0 && is_file(status);
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
        if (S_ISREG(status.st_mode)) {
            if (const std::int32_t error = lock(descriptor, LOCK_SH))
                return {nullptr, error};
        }
        return {std::make_unique<PosixInput>(file.release(), status.st_dev, status.st_ino), 0};
    }

    Opened<OutputStream> open_report(const std::string& path,
                                     const InputStream& open_new_list) override
    {
        // The new list is recognised before the report is opened for writing,
        // so that naming it ends the same way whether or not the user may
        // write it.
        const auto* new_list = dynamic_cast<const PosixInput*>(&open_new_list);
        if (new_list != nullptr && new_list->is_file(path))
            return {nullptr, -1};
        // Opened without O_TRUNC, so that nothing is lost before the file is
        // known to be neither the new list (which it may have become since
        // the check above) nor a report that another run is writing.
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (descriptor < 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        PosixFile file(descriptor);
        struct stat status {};
        if (::fstat(descriptor, &status) != 0)
            return {nullptr, error_number(errno, IoOperation::Open)};
        if (new_list != nullptr && new_list->is_file(status))
            return {nullptr, -1};
        // Only a regular file is locked and emptied; a device such as
        // /dev/null is written as it is, by as many runs as like.
        if (S_ISREG(status.st_mode)) {
            if (const std::int32_t error = lock(descriptor, LOCK_EX))
                return {nullptr, error};
            if (::ftruncate(descriptor, 0) != 0)
                return {nullptr, error_number(errno, IoOperation::Open)};
        }
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
