#include "DemoClock.h"

#include <algorithm>

namespace orb {

void DemoClock::start(float length, bool loop, double from)
{
    length_ = length;
    loop_ = loop;
    restart_ = true;
    restartTime_ = from;
}

DemoClock::Tick DemoClock::tick(const float* seekTime)
{
    const bool restarted = restart_ || seekTime != nullptr;
    if (restarted) {
        lastCounter_ = counter_.now();
        time_ = seekTime != nullptr ? *seekTime : restartTime_;
        restart_ = false;
        restartTime_ = 0.0;
        hold();
    } else {
        const std::int64_t frequency = counter_.frequency();
        const std::int64_t now = counter_.now();
        std::int64_t elapsed = now - lastCounter_;
        const std::int64_t held = std::min(elapsed, heldTicks_);
        heldTicks_ -= held;
        elapsed -= held;
        if (!paused_)
            time_ += static_cast<double>(elapsed) / static_cast<double>(frequency) * rate_;
        lastCounter_ = now;
    }

    if (length_ < time()) {
        if (!loop_)
            return {Step::End, restarted};
        restart_ = true;
        return {Step::Loop, restarted};
    }
    return {Step::Draw, restarted};
}

void DemoClock::resume()
{
    paused_ = false;
    hold();
}

void DemoClock::ease(double error)
{
    rate_ = 1.0 + std::clamp(error / EaseSeconds, -MaxEase, MaxEase);
}

void DemoClock::hold()
{
    heldTicks_ = static_cast<std::int64_t>(startDelay_ * static_cast<double>(counter_.frequency()));
    rate_ = 1.0;
}

} // namespace orb
