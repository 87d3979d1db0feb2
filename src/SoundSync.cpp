#include "SoundSync.h"

#include "DemoClock.h"
#include "LogFile.h"
#include "SoundSystem.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

namespace orb {
namespace {

// The share of each new frame's figures in their smoothed values: about the last 8 frames count.
constexpr double Smoothing = 1.0 / 8.0;

void smooth(double& value, double sample, bool first)
{
    value = first ? sample : value + Smoothing * (sample - value);
}

std::string milliseconds(double seconds)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(1) << seconds * 1000.0 << " ms";
    return text.str();
}

} // namespace

SoundSync::~SoundSync()
{
    if (whole_.count > 0)
        report("the demo", whole_);
}

double SoundSync::startDelay()
{
    return takeStartDelay("the picture starts as late");
}

double SoundSync::takeStartDelay(const char* whatThePictureDoes)
{
    latencyTaken_ = sound_.outputLatency();
    const double delay = latencyTaken_ + offset_;
    if (latencyTaken_ > 0.0)
        ORB_INFO("sound through " << sound_.outputDescription() << ", heard " << milliseconds(delay)
                                  << " after it is mixed (" << std::lround(offset_ * 1000.0)
                                  << " ms of it the viewer's offset): " << whatThePictureDoes);
    return delay;
}

double SoundSync::seconds(std::int64_t ticks) const
{
    return static_cast<double>(ticks) / static_cast<double>(counter_.frequency());
}

void SoundSync::framePresented(std::int64_t clockTick, std::int64_t presentedTick)
{
    const bool first = !lastClockTick_;
    smooth(pictureDelay_, seconds(presentedTick - clockTick), first);
    if (!first)
        smooth(framePeriod_, seconds(clockTick - *lastClockTick_), framePeriod_ == 0.0);
    lastClockTick_ = clockTick;
}

void SoundSync::follow(DemoClock& clock, std::uint32_t music)
{
    if (std::abs(sound_.outputLatency() - latencyTaken_) >= DeviceChange)
        clock.setStartDelay(takeStartDelay("the device changed, the picture follows"));
    const std::optional<audio::Playhead> playhead = sound_.playhead(music);
    if (!playhead || clock.paused() || clock.holding()) {
        clock.ease(0.0);
        error_.reset();
        recent_.clear();
        return;
    }
    const std::int64_t now = counter_.now();
    note(*playhead, now);
    // A frame drawn now shows after pictureDelay_ and stays for a frame: the time heard in the
    // middle of that stay is the one to draw.
    const double heard = heardAt(now) - offset_ + pictureDelay_ + framePeriod_ / 2.0;
    const double error = heard - static_cast<double>(clock.time());
    if (error_)
        smooth(*error_, error, false);
    else
        error_ = error;
    clock.ease(std::abs(*error_) > Tolerance ? *error_ : 0.0);

    // Sound minus picture, as a viewer would measure it.
    minute_.add(-*error_);
    whole_.add(-*error_);
    if (!minuteStart_)
        minuteStart_ = now;
    if (seconds(now - *minuteStart_) >= 60.0) {
        report("the last minute", minute_);
        minute_ = {};
        minuteStart_ = now;
    }
}

double SoundSync::projected(const audio::Playhead& playhead, std::int64_t tick) const
{
    return static_cast<double>(playhead.frame) / audio::SampleRate + seconds(tick - playhead.tick);
}

// An output is asked for sound when the device has room, often late and never early: each
// playhead places the sound at the latest, and the earliest of the recent ones is the truest.
double SoundSync::heardAt(std::int64_t tick) const
{
    double heard = projected(recent_.front(), tick);
    for (const audio::Playhead& playhead : recent_)
        heard = std::max(heard, projected(playhead, tick));
    return heard;
}

void SoundSync::note(const audio::Playhead& playhead, std::int64_t now)
{
    if (recent_.empty() || playhead.tick != recent_.back().tick) {
        const bool behind =
            !recent_.empty() && heardAt(playhead.tick) - projected(playhead, playhead.tick) > StallAt;
        // A stall leaves every later playhead behind the earlier ones: it counts once.
        if (behind && !stalling_) {
            ++minute_.stalls;
            ++whole_.stalls;
        }
        stalling_ = behind;
        recent_.push_back(playhead);
    }
    while (recent_.size() > 1 && seconds(now - recent_.front().tick) > RecentSeconds)
        recent_.pop_front();
}

void SoundSync::Tally::add(double offset)
{
    low = count == 0 ? offset : std::min(low, offset);
    high = count == 0 ? offset : std::max(high, offset);
    sum += offset;
    ++count;
}

void SoundSync::report(const char* span, const Tally& tally) const
{
    ORB_INFO("sync over " << span << ": the sound " << milliseconds(tally.sum / tally.count)
                          << " after the picture (" << milliseconds(tally.low) << " to "
                          << milliseconds(tally.high) << "), " << tally.stalls
                          << " sound stalls; a frame every " << milliseconds(framePeriod_)
                          << ", on the screen " << milliseconds(pictureDelay_)
                          << " after its time was taken");
}

} // namespace orb
