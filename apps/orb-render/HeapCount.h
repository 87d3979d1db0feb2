#pragma once

// HeapCount -- how many allocations this program has made through operator new, so that the
// frame statistics can show a frame that allocates.

#include <cstdint>

namespace orb::render {

std::uint64_t heapAllocations();

} // namespace orb::render
