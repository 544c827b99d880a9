#pragma once

#include <cstddef>
#include <new>

namespace quorvel {

// Memory for the table's big arrays: records, sysop names and the index.
// The first touch of each fresh page costs a page fault, and a table of a
// million entries fills some 14,000 pages of 4 KiB. On Linux a block of 2 MiB
// or more is therefore aligned to 2 MiB and marked for huge pages, which one
// fault maps 2 MiB at a time where the system allows it (transparent huge
// pages in "madvise" or "always" mode). Smaller blocks, and every block on
// other systems, come from plain new.
void* allocate_large_block(std::size_t bytes);
void free_large_block(void* block, std::size_t bytes) noexcept;

template <class T>
struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t count)
    {
        return static_cast<T*>(allocate_large_block(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept
    {
        free_large_block(block, count * sizeof(T));
    }

    friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

}  // namespace quorvel
