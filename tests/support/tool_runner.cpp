#include "support/tool_runner.h"

#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace quorvel::test {

const std::string banner =
    "Quorvel v1.11 [Windows 95/NT] by Tollemar\n"
    "based on Quorvel v1.1 by Brisvold\n" +
    std::string(78, '=') + "\n\n";

std::string quoted(const std::string& text)
{
#ifdef _WIN32
    return "\"" + text + "\"";
#else
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
#endif
}

int run_command(std::string command)
{
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd /c drops the outer quotes
    return std::system(command.c_str());
#else
    const int raw = std::system(command.c_str());
    if (raw == -1)
        throw std::runtime_error("cannot start " + command);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
}

#ifdef _WIN32
// Started directly rather than through cmd: an exit status of -1 would come
// back from system() as -1, which also means the start failed.
ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& prefix)
{
    if (!prefix.empty())
        throw std::logic_error("a command prefix is for POSIX systems");
    const TempDir capture;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto create = [&inherit](const std::filesystem::path& path) {
        return CreateFileA(path.string().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = create(capture / "stdout");
    const HANDLE err = create(capture / "stderr");
    std::string command_line = quoted(QUORVEL_BINARY);
    for (const std::string& argument : arguments)
        command_line += " " + quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, directory.string().c_str(), &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + command_line);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);

    ToolRun run;
    run.status = static_cast<int>(code);
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
#else
ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& prefix)
{
    const TempDir capture;
    const auto out = capture / "stdout";
    const auto err = capture / "stderr";
    std::string command = "cd " + quoted(directory.string()) + " &&";
    for (const std::string& word : prefix)
        command += " " + quoted(word);
    command += " " + quoted(QUORVEL_BINARY);
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    command += " > " + quoted(out.string()) + " 2> " + quoted(err.string());
    ToolRun run;
    run.status = run_command(command);
    run.standard_output = read_file(out);
    run.standard_error = read_file(err);
    return run;
}
#endif

}  // namespace quorvel::test
