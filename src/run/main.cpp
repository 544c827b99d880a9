#include <string_view>
#include <vector>

#include "run/platform.h"
#include "run/run_sequence.h"

int main(int argc, char** argv)
{
    quorvel::prepare_native_process();
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    return quorvel::run_quorvel(arguments, quorvel::native_file_system(),
                                quorvel::native_console());
}
