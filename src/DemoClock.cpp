#include "DemoClock.h"

namespace orb {

void DemoClock::start(float length, bool loop, float from)
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
        restartTime_ = 0.0f;
    } else {
        const std::int64_t frequency = counter_.frequency();
        const std::int64_t now = counter_.now();
        if (!paused_)
            time_ +=
                static_cast<float>(static_cast<double>(now - lastCounter_) / static_cast<double>(frequency));
        lastCounter_ = now;
    }

    if (length_ < time_) {
        if (!loop_)
            return {Step::End, restarted};
        restart_ = true;
        return {Step::Loop, restarted};
    }
    return {Step::Draw, restarted};
}

} // namespace orb
