#include "support/tool_runner.h"

#include <cstdlib>
#include <stdexcept>

#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace quorvel::test {

const std::string banner =
    "Quorvel v1.11 [Windows 95/NT] by Tollemar\n"
    "based on Quorvel v1.1 by Brisvold\n" +
    std::string(78, '=') + "\n\n";

namespace {

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

}  // namespace

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
#ifdef _WIN32
    command = "\"" + command + "\"";  // cmd /c drops the outer quotes
#endif
    const int raw = std::system(command.c_str());
    if (raw == -1)
        throw std::runtime_error("cannot start " + command);
    ToolRun run;
#ifdef _WIN32
    run.status = raw;
#else
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
    run.standard_output = read_file(out);
    run.standard_error = read_file(err);
    return run;
}

}  // namespace quorvel::test
