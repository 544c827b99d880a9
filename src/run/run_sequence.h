#pragma once

#include <span>
#include <string_view>

#include "run/platform.h"

namespace quorvel {

// One whole run: arguments are the command line without the program name.
// Returns the exit status: 0 after a complete run, 1 for the usage text and
// an over-long line, the error number after an I/O error.
int run_quorvel(std::span<const std::string_view> arguments, FileSystem& files, Console& console);

}  // namespace quorvel
