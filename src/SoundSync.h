#pragma once

// SoundSync -- keeps the picture on the sound's time as the viewer meets them.
//
// Does: each frame, compare the demo time drawn with the music's time heard when the frame shows
//       (the output's playhead, carried on by the counter, plus how long a frame takes to reach
//       the screen and half the time it stays there) and ease the clock towards it when they part
//       by more than Tolerance; count the sound's stalls (the playhead falling behind where the
//       recent ones placed it); log once a minute and at the end. Give the delay a restarted
//       music takes to reach the ear, and give it the clock again when the output's latency
//       moves (another device), logging each once.
// Does not: move the music. Without an output that keeps time (the silent one) it does nothing.
//
//   SoundSync sync(counter, soundSystem);
//   clock.setStartDelay(sync.startDelay());
//   sync.framePresented(clockTick, presentedTick);   // after every present
//   sync.follow(clock, music);                        // after every tick of the clock

#include "platform/audio/Mixer.h"
#include "platform/win/Counter.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace orb {

class DemoClock;
class SoundSystem;

class SoundSync
{
public:
    // Parted by less than this, the clock runs at its own pace.
    static constexpr double Tolerance = 0.001;
    // A playhead this far behind where the recent ones said is a stall of the sound.
    static constexpr double StallAt = 0.020;
    // The playheads that place the sound: those of the last so many seconds.
    static constexpr double RecentSeconds = 0.2;
    // The output's latency moved by this much: the device changed. A server's own reports wander
    // by a few milliseconds.
    static constexpr double DeviceChange = 0.010;

    SoundSync(win::Counter& counter, const SoundSystem& sound) : counter_(counter), sound_(sound) {}
    ~SoundSync();

    // What the restarted music takes to reach the ear: the output's latency and the viewer's
    // offset. Logged, for an output that keeps time.
    double startDelay();
    // Seconds the sound reaches the ear after what its output reports.
    void setOffset(double seconds) { offset_ = seconds; }
    void framePresented(std::int64_t clockTick, std::int64_t presentedTick);
    // Eases the clock towards the sound, and gives it the start delay anew once the output's
    // latency has moved by DeviceChange or more since it was last taken.
    void follow(DemoClock& clock, std::uint32_t music);

private:
    struct Tally
    {
        double sum = 0.0, low = 0.0, high = 0.0;
        long count = 0;
        long stalls = 0;
        void add(double offset);
    };

    double seconds(std::int64_t ticks) const;
    double projected(const audio::Playhead& playhead, std::int64_t tick) const;
    double heardAt(std::int64_t tick) const;
    void note(const audio::Playhead& playhead, std::int64_t now);
    void report(const char* span, const Tally& tally) const;
    double takeStartDelay(const char* whatThePictureDoes);

    win::Counter& counter_;
    const SoundSystem& sound_;
    std::deque<audio::Playhead> recent_;
    bool stalling_ = false;
    double offset_ = 0.0;
    double latencyTaken_ = 0.0; // the output's, when the start delay was last taken
    double pictureDelay_ = 0.0; // from the clock's tick to the screen, smoothed
    double framePeriod_ = 0.0;  // smoothed
    std::optional<std::int64_t> lastClockTick_;
    std::optional<double> error_; // smoothed
    std::optional<std::int64_t> minuteStart_;
    Tally minute_, whole_;
};

} // namespace orb
