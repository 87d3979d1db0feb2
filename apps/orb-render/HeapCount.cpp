#include "HeapCount.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocations{0};

void* allocate(std::size_t size, std::size_t alignment) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    // aligned_alloc wants a multiple of the alignment, and nothing of size 0.
    const std::size_t rounded = (size + alignment - 1) / alignment * alignment;
    return alignment <= alignof(std::max_align_t)
               ? std::malloc(size == 0 ? 1 : size)
               : std::aligned_alloc(alignment, rounded == 0 ? alignment : rounded);
}

void* allocateOrThrow(std::size_t size, std::size_t alignment)
{
    void* block = allocate(size, alignment);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

constexpr std::size_t Plain = alignof(std::max_align_t);

} // namespace

// Every form, array and non-throwing ones included: a sanitizer's runtime replaces each form it is
// not given, and memory from its operator new freed by ours (or the other way round) is a fault it
// stops the program for. LLVM, inside the software rasteriser, allocates with the non-throwing form.
void* operator new(std::size_t size)
{
    return allocateOrThrow(size, Plain);
}

void* operator new[](std::size_t size)
{
    return allocateOrThrow(size, Plain);
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, Plain);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return allocate(size, Plain);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(alignment));
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t, std::align_val_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(block);
}

namespace orb::render {

std::uint64_t heapAllocations()
{
    return allocations.load(std::memory_order_relaxed);
}

} // namespace orb::render
