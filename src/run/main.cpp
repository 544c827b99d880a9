#include <string>
#include <string_view>
#include <vector>

#include "run/platform.h"
#include "run/run_sequence.h"

int main(int argc, char** argv)
{
    quorvel::prepare_native_process();
    const std::vector<std::string> arguments = quorvel::native_arguments(argc, argv);
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    return quorvel::run_quorvel(views, quorvel::native_file_system(), quorvel::native_console());
}
