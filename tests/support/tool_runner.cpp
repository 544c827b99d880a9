#include "support/tool_runner.h"

#include <stdexcept>
#include <string_view>

#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace quorvel::test {

const std::string banner =
    "Quorvel v1.11 [Windows 95/NT] by Tollemar\n"
    "based on Quorvel v1.1 by Brisvold\n" +
    std::string(78, '=') + "\n\n";

#ifdef _WIN32
namespace {

// Arguments are UTF-8, passed on through the wide command line, so that a
// name outside the ANSI code page reaches the program whole.
std::wstring quoted(const std::string& utf8)
{
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
        static_cast<int>(text.size()))));
    return L"\"" + text + L"\"";
}

// Started directly rather than through cmd: an exit status of -1 would come
// back from system() as -1, which also means the start failed.
int start(const std::string& program, const std::vector<std::string>& arguments,
          const std::filesystem::path& directory, const std::filesystem::path& output,
          const std::filesystem::path& error)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto create = [&inherit](const std::filesystem::path& path) {
        return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = create(output);
    const HANDLE err = create(error);
    std::wstring command_line = quoted(program);
    for (const std::string& argument : arguments)
        command_line += L" " + quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, directory.wstring().c_str(), &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

}  // namespace

ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const ToolOptions& options)
{
    if (!options.prefix.empty() || !options.environment.empty() ||
        options.broken_standard_error || options.file_size_limit != 0)
        throw std::logic_error("these run options are for POSIX systems");
    const TempDir capture;
    ToolRun run;
    run.status = start(QUORVEL_BINARY, arguments, directory, capture / "stdout", capture / "stderr");
    run.standard_output = read_file(capture / "stdout");
    const std::string raw = read_file(capture / "stderr");
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r'))
            throw std::runtime_error("a newline without CR on standard error: " + raw);
        run.standard_error += raw[i];
    }
    return run;
}

int run_program(const std::string& program, const std::vector<std::string>& arguments)
{
    const TempDir capture;
    return start(program, arguments, capture.path(), capture / "stdout", capture / "stderr");
}
#else
namespace {

// The emulator the tests run under, if any, as its words.
std::vector<std::string> emulator()
{
    std::vector<std::string> words;
    std::string_view list = QUORVEL_EMULATOR;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(' '), list.size());
        if (end > 0)
            words.emplace_back(list.substr(0, end));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return words;
}

struct Redirect {
    int output = -1;
    int error = -1;
};

// Starts argv[0] (a full path) with fork and exec and waits for it. The
// extra environment settings go to the program itself: through the
// emulator's -E where there is one, so that they do not reach the emulator.
int start(const std::string& program, const std::vector<std::string>& arguments,
          const std::filesystem::path& directory, Redirect redirect, const ToolOptions& options)
{
    std::vector<std::string> words = options.prefix;
    const std::vector<std::string> emulated_by = emulator();
    words.insert(words.end(), emulated_by.begin(), emulated_by.end());
    std::vector<std::string> environment;
    for (char** setting = environ; *setting != nullptr; ++setting)
        environment.emplace_back(*setting);
    for (const std::string& setting : options.environment) {
        if (emulated_by.empty()) {
            environment.push_back(setting);
        } else {
            words.push_back("-E");
            words.push_back(setting);
        }
    }
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& setting : environment)
        envp.push_back(setting.data());
    envp.push_back(nullptr);

    int broken[2] = {-1, -1};
    if (options.broken_standard_error) {
        if (::pipe(broken) != 0)
            throw std::runtime_error("cannot make a pipe");
        ::close(broken[0]);
        redirect.error = broken[1];
    }
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("cannot fork");
    if (child == 0) {
        if (::chdir(directory.c_str()) != 0)
            ::_exit(126);
        ::dup2(redirect.output, STDOUT_FILENO);
        ::dup2(redirect.error, STDERR_FILENO);
        if (options.file_size_limit != 0) {
            const auto bytes = static_cast<rlim_t>(options.file_size_limit);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (broken[1] >= 0)
        ::close(broken[1]);
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
    }
    if (WIFEXITED(raw) && WEXITSTATUS(raw) == 127)
        throw std::runtime_error("cannot start " + words.front());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}

int open_capture(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0)
        throw std::runtime_error("cannot create " + path.string());
    return descriptor;
}

}  // namespace

ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const ToolOptions& options)
{
    const TempDir capture;
    const Redirect redirect{open_capture(capture / "stdout"), open_capture(capture / "stderr")};
    ToolRun run;
    run.status = start(QUORVEL_BINARY, arguments, directory, redirect, options);
    ::close(redirect.output);
    ::close(redirect.error);
    run.standard_output = read_file(capture / "stdout");
    run.standard_error = read_file(capture / "stderr");
    return run;
}

int run_program(const std::string& program, const std::vector<std::string>& arguments)
{
    const TempDir capture;
    const Redirect redirect{open_capture(capture / "stdout"), open_capture(capture / "stderr")};
    const int status = start(program, arguments, capture.path(), redirect, {});
    ::close(redirect.output);
    ::close(redirect.error);
    return status;
}
#endif

}  // namespace quorvel::test
