#pragma once

#include <cstdint>
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

// How a run is started, beyond its arguments. All but the defaults are for
// POSIX systems only.
struct ToolOptions {
    // A command the tool is started through (one that drops privileges, say).
    std::vector<std::string> prefix = {};
    // NAME=VALUE settings added to the tool's environment.
    std::vector<std::string> environment = {};
    // Standard error is a pipe whose reading end is already closed.
    bool broken_standard_error = false;
    // The largest file the tool may write, in bytes (RLIMIT_FSIZE); 0: no limit.
    std::size_t file_size_limit = 0;
};

// How an exit status of -1 reaches a parent process.
#ifdef _WIN32
constexpr int status_minus_one = -1;
#else
constexpr int status_minus_one = 255;
#endif

// Runs the built quorvel in directory with the given arguments. Where the
// tests run under an emulator (a cross build), so does the tool.
ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const ToolOptions& options = {});

// Runs another program of the build (the list generator) with the given
// arguments, under the emulator where there is one; returns its exit status.
int run_program(const std::string& program, const std::vector<std::string>& arguments);

// The banner every run starts with on the standard error stream.
extern const std::string banner;

}  // namespace quorvel::test
