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

double SoundSync::startDelay() const
{
    return sound_.outputLatency();
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
    const std::optional<audio::Playhead> playhead = sound_.playhead(music);
    if (!playhead || clock.paused() || clock.holding()) {
        clock.ease(0.0);
        error_.reset();
        lastPlayhead_.reset();
        return;
    }
    noteStall(*playhead);
    // A frame drawn now shows after pictureDelay_ and stays for a frame: the time heard in the
    // middle of that stay is the one to draw.
    const std::int64_t now = counter_.now();
    const double heard = static_cast<double>(playhead->frame) / audio::SampleRate +
                         seconds(now - playhead->tick) + pictureDelay_ + framePeriod_ / 2.0;
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

void SoundSync::noteStall(const audio::Playhead& playhead)
{
    if (lastPlayhead_ && playhead.tick != lastPlayhead_->tick) {
        const double expected = static_cast<double>(lastPlayhead_->frame) / audio::SampleRate +
                                seconds(playhead.tick - lastPlayhead_->tick);
        if (expected - static_cast<double>(playhead.frame) / audio::SampleRate > StallAt) {
            ++minute_.stalls;
            ++whole_.stalls;
        }
    }
    lastPlayhead_ = playhead;
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
                          << milliseconds(tally.high) << "), " << tally.stalls << " sound stalls");
}

} // namespace orb
