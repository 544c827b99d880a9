// Faults injected at the system-call level, for end-to-end runs of the real
// program on Linux: loaded with LD_PRELOAD, it stands in front of the C
// library's open, read, write and close, and fails the calls on one file as
// the environment variable QUORVEL_FAULT says:
//
//   FILE:read-eio:N     reads fail with EIO once N bytes of FILE have been read
//   FILE:eintr          every other read or write fails with EINTR first
//   FILE:short-write:N  each write takes at most N bytes
//   FILE:write-zero     each write takes nothing and returns 0
//   FILE:close-eio      the close closes the file, then fails with EIO
//   FILE:become:OTHER   just before FILE is opened, it is made a hard link to
//                       OTHER (a file of the folder the program runs in)
//
// FILE is a file's name without its folder, or "stderr" for standard error.
// Nothing else is changed; without QUORVEL_FAULT every call goes through.

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

enum class Fault { None, ReadEio, Eintr, ShortWrite, WriteZero, CloseEio, Become };

struct Setting {
    bool read = false;
    char file[256] = {};
    Fault fault = Fault::None;
    unsigned long amount = 0;
    char other[256] = {};  // for become
};

Setting setting;
constexpr int max_descriptors = 1024;
bool targeted[max_descriptors];
unsigned long bytes_read[max_descriptors];
bool interrupt_next[max_descriptors];

const Setting& configured()
{
    if (setting.read)
        return setting;
    setting.read = true;
    const char* text = std::getenv("QUORVEL_FAULT");
    if (text == nullptr)
        return setting;
    const char* colon = std::strchr(text, ':');
    if (colon == nullptr || static_cast<std::size_t>(colon - text) >= sizeof setting.file)
        return setting;
    std::memcpy(setting.file, text, static_cast<std::size_t>(colon - text));
    const char* fault = colon + 1;
    const char* amount = std::strchr(fault, ':');
    if (amount != nullptr) {
        setting.amount = std::strtoul(amount + 1, nullptr, 10);
        std::strncpy(setting.other, amount + 1, sizeof setting.other - 1);
    }
    const std::size_t length = amount != nullptr ? static_cast<std::size_t>(amount - fault)
                                                 : std::strlen(fault);
    const auto is = [&](const char* name) {
        return std::strlen(name) == length && std::strncmp(fault, name, length) == 0;
    };
    if (is("read-eio"))
        setting.fault = Fault::ReadEio;
    else if (is("eintr"))
        setting.fault = Fault::Eintr;
    else if (is("short-write"))
        setting.fault = Fault::ShortWrite;
    else if (is("write-zero"))
        setting.fault = Fault::WriteZero;
    else if (is("close-eio"))
        setting.fault = Fault::CloseEio;
    else if (is("become"))
        setting.fault = Fault::Become;
    if (std::strcmp(setting.file, "stderr") == 0)
        targeted[STDERR_FILENO] = true;
    return setting;
}

template <class Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

bool is_targeted(int descriptor)
{
    configured();
    return descriptor >= 0 && descriptor < max_descriptors && targeted[descriptor];
}

bool names_file(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return std::strcmp(slash != nullptr ? slash + 1 : path, setting.file) == 0;
}

void note_open(const char* path, int descriptor)
{
    if (descriptor < 0 || descriptor >= max_descriptors || configured().fault == Fault::None)
        return;
    targeted[descriptor] = names_file(path);
    bytes_read[descriptor] = 0;
    interrupt_next[descriptor] = true;
}

// Whether this call is the one of a pair that fails with EINTR.
bool interrupted(int descriptor)
{
    if (setting.fault != Fault::Eintr)
        return false;
    interrupt_next[descriptor] = !interrupt_next[descriptor];
    return !interrupt_next[descriptor];
}

int open_with(const char* name, const char* path, int flags, mode_t mode)
{
    using Open = int (*)(const char*, int, ...);
    if (configured().fault == Fault::Become && names_file(path)) {
        // What a race with another program could do between the tool's
        // look at the name and its open.
        ::unlink(path);
        ::link(setting.other, path);
    }
    const int descriptor = next<Open>(name)(path, flags, mode);
    note_open(path, descriptor);
    return descriptor;
}

mode_t mode_of(int flags, va_list arguments)
{
    return (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_of(flags, arguments);
    va_end(arguments);
    return open_with("open", path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = mode_of(flags, arguments);
    va_end(arguments);
    return open_with("open64", path, flags, mode);
}

ssize_t read(int descriptor, void* buffer, size_t count)
{
    using Read = ssize_t (*)(int, void*, size_t);
    if (is_targeted(descriptor)) {
        if (interrupted(descriptor)) {
            errno = EINTR;
            return -1;
        }
        if (setting.fault == Fault::ReadEio) {
            const unsigned long left = setting.amount - bytes_read[descriptor];
            if (left == 0) {
                errno = EIO;
                return -1;
            }
            if (count > left)
                count = left;
        }
    }
    const ssize_t result = next<Read>("read")(descriptor, buffer, count);
    if (result > 0 && descriptor >= 0 && descriptor < max_descriptors)
        bytes_read[descriptor] += static_cast<unsigned long>(result);
    return result;
}

ssize_t write(int descriptor, const void* buffer, size_t count)
{
    using Write = ssize_t (*)(int, const void*, size_t);
    if (is_targeted(descriptor) && count > 0) {
        if (interrupted(descriptor)) {
            errno = EINTR;
            return -1;
        }
        if (setting.fault == Fault::WriteZero)
            return 0;
        if (setting.fault == Fault::ShortWrite && count > setting.amount)
            count = setting.amount;
    }
    return next<Write>("write")(descriptor, buffer, count);
}

int close(int descriptor)
{
    using Close = int (*)(int);
    const bool fail = is_targeted(descriptor) && setting.fault == Fault::CloseEio;
    if (descriptor >= 0 && descriptor < max_descriptors)
        targeted[descriptor] = false;
    const int result = next<Close>("close")(descriptor);
    if (fail) {
        errno = EIO;
        return -1;
    }
    return result;
}

}  // extern "C"
