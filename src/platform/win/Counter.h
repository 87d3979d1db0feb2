#pragma once

// Counter -- a monotonic tick counter and its ticks per second, the demo clock's only time source.
//
// Does: read SDL's high-resolution counter (performanceCounter), or a counter that moves only when
//       told to (SteppedCounter), so that tests and the off-screen renderer run in virtual time.
// Does not: sleep, pace frames or know about the demo.
//
//   SteppedCounter counter(1000);         // 1000 ticks per second
//   counter.advance(16);                  // 16 ms pass
//   double seconds = double(counter.now()) / double(counter.frequency());

#include <cstdint>

namespace orb::win {

class Counter
{
public:
    virtual ~Counter() = default;
    virtual std::int64_t now() = 0;
    virtual std::int64_t frequency() = 0;
};

// The process's high-resolution counter.
Counter& performanceCounter();

class SteppedCounter final : public Counter
{
public:
    explicit SteppedCounter(std::int64_t ticksPerSecond) : frequency_(ticksPerSecond) {}

    std::int64_t now() override { return ticks_; }
    std::int64_t frequency() override { return frequency_; }
    void advance(std::int64_t ticks) { ticks_ += ticks; }

private:
    std::int64_t frequency_;
    std::int64_t ticks_ = 0;
};

} // namespace orb::win
