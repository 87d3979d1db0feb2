#include "platform/win/LargeBlock.h"

#include <sys/mman.h>

namespace orb::win {

namespace {

constexpr std::size_t HugePageSize = std::size_t{2} << 20;

} // namespace

LargeBlock allocateLargeBlock(std::size_t size)
{
    if (size < HugePageSize)
        return LargeBlock(static_cast<char*>(std::malloc(size == 0 ? 1 : size)));
    const std::size_t rounded = (size + HugePageSize - 1) / HugePageSize * HugePageSize;
    if (rounded < size)
        return nullptr;
    LargeBlock block(static_cast<char*>(std::aligned_alloc(HugePageSize, rounded)));
    if (block)
        ::madvise(block.get(), rounded, MADV_HUGEPAGE);
    return block;
}

} // namespace orb::win
