#include "FrameWork.h"

#include "HeapCount.h"

#include <ctime>
#include <sys/resource.h>

namespace orb::render {

FrameWork FrameWork::now()
{
    FrameWork sample;
    sample.work = gfx::workTally();
    sample.allocations = heapAllocations();
    timespec processor{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &processor);
    sample.processorMilliseconds =
        static_cast<double>(processor.tv_sec) * 1e3 + static_cast<double>(processor.tv_nsec) * 1e-6;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    sample.pageFaults = static_cast<std::uint64_t>(usage.ru_minflt + usage.ru_majflt);
    sample.preemptions = static_cast<std::uint64_t>(usage.ru_nivcsw);
    return sample;
}

FrameWork FrameWork::operator-(const FrameWork& earlier) const
{
    return {work - earlier.work, allocations - earlier.allocations,
            processorMilliseconds - earlier.processorMilliseconds, pageFaults - earlier.pageFaults,
            preemptions - earlier.preemptions};
}

} // namespace orb::render
