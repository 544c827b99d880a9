#include "compare/large_blocks.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace quorvel {

namespace {

#ifdef __linux__
constexpr std::size_t huge_page = std::size_t{2} << 20;

bool wants_huge_pages(std::size_t bytes)
{
    return bytes >= huge_page;
}

std::size_t whole_huge_pages(std::size_t bytes)
{
    return (bytes + huge_page - 1) / huge_page * huge_page;
}
#endif

}  // namespace

void* allocate_large_block(std::size_t bytes)
{
#ifdef __linux__
    if (wants_huge_pages(bytes)) {
        const std::size_t size = whole_huge_pages(bytes);
        void* block = std::aligned_alloc(huge_page, size);
        if (block == nullptr)
            throw std::bad_alloc();
        // Only advice: where huge pages are off, the block works as it is.
        ::madvise(block, size, MADV_HUGEPAGE);
        return block;
    }
#endif
    return ::operator new(bytes);
}

void free_large_block(void* block, std::size_t bytes) noexcept
{
#ifdef __linux__
    if (wants_huge_pages(bytes)) {
        std::free(block);
        return;
    }
#endif
    ::operator delete(block, bytes);
}

}  // namespace quorvel
