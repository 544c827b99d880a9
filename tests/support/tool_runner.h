#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quorvel::test {

// What one run of the built program left behind.
struct ToolRun {
    int status = 0;  // exit status as a parent sees it (0..255 on POSIX)
    std::string standard_output;
    std::string standard_error;
};

// Runs the built quorvel in directory with the given arguments, started
// through prefix when one is given (a command that drops privileges, say).
ToolRun run_tool(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& prefix = {});

// The banner every run starts with on the standard error stream.
extern const std::string banner;

}  // namespace quorvel::test
