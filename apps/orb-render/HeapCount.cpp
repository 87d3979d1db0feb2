#include "HeapCount.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocations{0};

void* allocate(std::size_t size, std::size_t alignment)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    // aligned_alloc wants a multiple of the alignment, and nothing of size 0.
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    void* block = alignment <= alignof(std::max_align_t)
                      ? std::malloc(size == 0 ? 1 : size)
                      : std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

} // namespace

// The library's array and non-throwing forms call these. Deleting must pair with them, or a
// sanitizer's own operator delete would see memory it did not hand out.
void* operator new(std::size_t size)
{
    return allocate(size, alignof(std::max_align_t));
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

namespace orb::render {

std::uint64_t heapAllocations()
{
    return allocations.load(std::memory_order_relaxed);
}

} // namespace orb::render
