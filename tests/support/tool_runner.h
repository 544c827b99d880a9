#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::test {

// What one run of the built program left behind.
struct ToolRun {
    int status = 0;  // exit status as a parent sees it (0..255 on POSIX)
    std::string standard_output;
    // Each line end as "\n". On Windows the program must write CR LF for
    // every newline; run_tool checks that and turns them into "\n".
    std::string standard_error;
};

// How an exit status of -1 reaches a parent process.
#ifdef _WIN32
constexpr int status_minus_one = -1;
#else
constexpr int status_minus_one = 255;
#endif

// Runs the built quorvel in directory with the given arguments, started
// through prefix when one is given (a command that drops privileges, say).
ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& prefix = {});

// Runs a command line through the system's shell; returns its exit status.
int run_command(std::string command);

// A file name or argument quoted for that shell.
std::string quoted(const std::string& text);

// The banner every run starts with on the standard error stream.
extern const std::string banner;

}  // namespace quorvel::test
