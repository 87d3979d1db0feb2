#pragma once

// LargeBlock -- memory for big data loaded once and kept, such as the archive payload.
//
// Does: allocate a block, backed by transparent huge pages where the kernel offers them, so
//       that filling 64 MiB costs a few dozen page faults instead of sixteen thousand.
// Does not: zero the memory. Null when the memory is not available.
//
//   LargeBlock block = allocateLargeBlock(size);
//   if (!block) { /* report */ }

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace orb::win {

struct FreeLargeBlock
{
    void operator()(char* block) const { std::free(block); }
};

using LargeBlock = std::unique_ptr<char[], FreeLargeBlock>;

LargeBlock allocateLargeBlock(std::size_t size);

} // namespace orb::win
