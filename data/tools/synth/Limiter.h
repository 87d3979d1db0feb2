#pragma once

// A look-ahead peak limiter for the master bus. The gain starts falling one look-ahead before a
// peak arrives and reaches its lowest exactly on it, so that no sample leaves above the ceiling
// and the gain never jumps; afterwards it recovers slowly. Output lags input by latency().

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

namespace orb::synth {

class Limiter
{
public:
    Limiter(float ceiling, std::size_t lookAhead, double releaseSeconds);

    std::size_t latency() const { return lookAhead_ - 1; }
    // Takes one frame, returns the frame from latency() frames ago, limited.
    void process(float& left, float& right);

private:
    float heldTarget(float target);

    float ceiling_;
    std::size_t lookAhead_;
    float release_;
    std::size_t at_ = 0;
    std::vector<float> delayedLeft_, delayedRight_;
    std::deque<std::pair<std::size_t, float>> candidates_; // (frame, gain it alone would need)
    std::size_t frame_ = 0;
    std::vector<float> smoothed_; // the last lookAhead_ released gains, for the moving average
    double smoothedSum_;
    float released_ = 1.0f;
};

} // namespace orb::synth
