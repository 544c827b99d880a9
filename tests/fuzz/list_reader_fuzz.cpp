// The list reader on arbitrary bytes, handed over in pieces of arbitrary
// size, against a plain model of the DOS text rules taken one byte at a time.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "support/reference_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + std::size_t{data[0]} % 64 * (data[0] >= 128 ? 1024 : 1);
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (quorvel::test::read_with_list_reader(bytes, piece) !=
        quorvel::test::read_by_reference(bytes))
        std::abort();
    return 0;
}
