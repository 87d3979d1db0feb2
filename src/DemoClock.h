#pragma once

// DemoClock -- demo time in seconds, read from a tick counter once per frame.
//
// Does: restart at 0 on the first frame and after a loop, jump to a seek time, otherwise
//       advance by the ticks elapsed since the previous frame unless paused; decide whether a
//       frame is drawn, ends the demo (time strictly past the length) or loops it.
//       Follow the sound without a jump: hold still after a restart while the restarted music
//       travels to the ear, and run a little faster or slower while told the sound is elsewhere.
// Does not: read the music. The music follows the clock; the clock only leans towards where it
//       is told the music is heard.
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
    void start(float length, bool loop, double from = 0.0);
    Tick tick(const float* seekTime);
    // While paused the time stands still, though a seek still moves it; the ticks that pass
    // meanwhile are never counted.
    void setPaused(bool paused) { paused_ = paused; }
    // After every restart, and after a pause, the time stays where it was put for `seconds`: what
    // lies between the restarted music and the ear.
    void setStartDelay(double seconds) { startDelay_ = seconds; }
    // Resumes after a pause, holding for the start delay first.
    void resume();
    // The time is `error` seconds behind what is heard (ahead, when negative): until told
    // otherwise it runs faster (slower) by error / EaseSeconds, by at most MaxEase.
    void ease(double error);
    // Still holding after a restart or a resume.
    bool holding() const { return heldTicks_ > 0; }
    // The counter's tick the last tick read.
    std::int64_t lastTick() const { return lastCounter_; }

    static constexpr double EaseSeconds = 0.15;
    static constexpr double MaxEase = 0.3;
    bool paused() const { return paused_; }

    float time() const { return static_cast<float>(time_); }
    float length() const { return length_; }

private:
    void hold();

    win::Counter& counter_;
    bool restart_ = false;
    bool loop_ = false;
    bool paused_ = false;
    std::int64_t lastCounter_ = 0;
    // Summed in double: a float sum of 60 frames a second falls 9 ms behind by the fourth minute.
    double time_ = 0.0;
    double restartTime_ = 0.0;
    float length_ = 0.0f;
    double startDelay_ = 0.0;
    std::int64_t heldTicks_ = 0; // still to pass before the time moves
    double rate_ = 1.0;
};

} // namespace orb
