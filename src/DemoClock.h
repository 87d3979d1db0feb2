#pragma once

// DemoClock -- demo time in seconds, read from a tick counter once per frame.
//
// Does: restart at 0 on the first frame and after a loop, jump to a seek time, otherwise
//       advance by the ticks elapsed since the previous frame unless paused; decide whether a
//       frame is drawn, ends the demo (time strictly past the length) or loops it.
// Does not: read the music. The music follows the clock, never the reverse.
//
//   DemoClock clock(win::performanceCounter());
//   clock.start(length, loop);                 // the next tick restarts at 0
//   DemoClock::Tick tick = clock.tick(nullptr);
//   if (tick.restarted) { /* restart the music at clock.time() */ }

#include "platform/win/Counter.h"

#include <cstdint>

namespace orb {

class DemoClock
{
public:
    enum class Step
    {
        Draw,
        End,
        Loop, // nothing is drawn; the next tick restarts at 0
    };

    struct Tick
    {
        Step step;
        bool restarted; // the time was set (0 or a seek time) rather than advanced
    };

    explicit DemoClock(win::Counter& counter) : counter_(counter) {}

    // The next tick restarts at `from`; loops restart at 0.
    void start(float length, bool loop, float from = 0.0f);
    Tick tick(const float* seekTime);
    // While paused the time stands still, though a seek still moves it; the ticks that pass
    // meanwhile are never counted.
    void setPaused(bool paused) { paused_ = paused; }
    bool paused() const { return paused_; }

    float time() const { return time_; }
    float length() const { return length_; }

private:
    win::Counter& counter_;
    bool restart_ = false;
    bool loop_ = false;
    bool paused_ = false;
    std::int64_t lastCounter_ = 0;
    float time_ = 0.0f;
    float restartTime_ = 0.0f;
    float length_ = 0.0f;
};

} // namespace orb
