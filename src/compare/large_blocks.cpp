#include "compare/large_blocks.h"

#ifdef __linux__
#include <sys/mman.h>

#include <cstdint>
#endif

namespace quorvel {

#ifdef __linux__
namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;

bool wants_huge_pages(std::size_t bytes)
{
    return bytes >= huge_page;
}

std::size_t whole_huge_pages(std::size_t bytes)
{
    return (bytes + huge_page - 1) / huge_page * huge_page;
}

}  // namespace

// Mapped straight from the system, so that a block given back (the first
// chunk of records outgrown, say) leaves the process at once rather than
// staying in the heap. A mapping one huge page longer than needed always
// holds an aligned block; the ends around it are given back.
void* allocate_large_block(std::size_t bytes)
{
    if (!wants_huge_pages(bytes))
        return ::operator new(bytes);
    const std::size_t size = whole_huge_pages(bytes);
    void* mapped = ::mmap(nullptr, size + huge_page, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + huge_page - 1) / huge_page * huge_page;
    if (aligned != start)
        ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + huge_page - aligned)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
    // Only advice: where huge pages are off, the block works as it is.
    ::madvise(block, size, MADV_HUGEPAGE);
    return block;
}

void free_large_block(void* block, std::size_t bytes) noexcept
{
    if (!wants_huge_pages(bytes)) {
        ::operator delete(block);
        return;
    }
    ::munmap(block, whole_huge_pages(bytes));
}
#else
void* allocate_large_block(std::size_t bytes)
{
    return ::operator new(bytes);
}

void free_large_block(void* block, std::size_t) noexcept
{
    ::operator delete(block);
}
#endif

}  // namespace quorvel
