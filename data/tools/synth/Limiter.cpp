#include "Limiter.h"

#include "Units.h"

#include <algorithm>
#include <cmath>

namespace orb::synth {

Limiter::Limiter(float ceiling, std::size_t lookAhead, double releaseSeconds)
    : ceiling_(ceiling), lookAhead_(std::max<std::size_t>(lookAhead, 1)),
      release_(static_cast<float>(1.0 - std::exp(-1.0 / (releaseSeconds * SampleRate)))),
      delayedLeft_(lookAhead_, 0.0f), delayedRight_(lookAhead_, 0.0f), smoothed_(lookAhead_, 1.0f),
      smoothedSum_(static_cast<double>(lookAhead_))
{}

float Limiter::heldTarget(float target)
{
    // A rising queue of candidates: the front is the window's minimum, and a newer, lower
    // target makes every higher one before it useless.
    while (!candidates_.empty() && candidates_.back().second >= target)
        candidates_.pop_back();
    candidates_.emplace_back(frame_, target);
    if (candidates_.front().first + lookAhead_ <= frame_)
        candidates_.pop_front();
    ++frame_;
    return candidates_.front().second;
}

void Limiter::process(float& left, float& right)
{
    const float peak = std::max(std::fabs(left), std::fabs(right));
    const float held = heldTarget(peak > ceiling_ ? ceiling_ / peak : 1.0f);
    released_ = held < released_ ? held : released_ + (held - released_) * release_;
    smoothedSum_ += released_ - smoothed_[at_];
    smoothed_[at_] = released_;
    // The average of gains each no higher than the held minimum cannot exceed it: the ceiling
    // holds on the peak itself, which reaches the output lookAhead_ - 1 frames from now.
    const auto gain = static_cast<float>(smoothedSum_ / static_cast<double>(lookAhead_));
    const std::size_t oldest = (at_ + 1) % lookAhead_;
    delayedLeft_[at_] = left;
    delayedRight_[at_] = right;
    left = delayedLeft_[oldest] * gain;
    right = delayedRight_[oldest] * gain;
    at_ = oldest;
}

} // namespace orb::synth
