#pragma once

// PassCosts -- what the passes of the last second's frames cost, as the preview shows them: for
// each pass (with the passes inside it) the median over the frames that ran it of its time as
// the GL timer query counts it and on the clock, and the median frame's totals.
//
// Both, because a software rasteriser's timer query leaves out the vertex work done on the thread
// that feeds it: a scene of many small draws costs far more on the clock than its query says.
//
//   costs.add(device.passTimer()->endFrame(), std::chrono::steady_clock::now());
//   for (const PassCosts::Cost& pass : costs.passes()) ...   // {"post: compose", 2.4, 2.6}
//   PassCosts::Cost frame = costs.frameTotal();

#include "platform/gfx/PassTimer.h"

#include <chrono>
#include <deque>
#include <string>
#include <vector>

namespace orb::preview {

class PassCosts
{
public:
    using Clock = std::chrono::steady_clock;

    struct Cost
    {
        std::string label;
        double glMilliseconds = 0.0;
        double clockMilliseconds = 0.0;
    };

    void add(const std::vector<gfx::PassTimer::Time>& passes, Clock::time_point at);
    // The passes run within the last second, in the order they first ran.
    std::vector<Cost> passes() const;
    Cost frameTotal() const;

private:
    struct Frame
    {
        Clock::time_point at;
        std::vector<Cost> passes; // by label; without one where the pass did not run
        Cost total;
    };

    static Cost median(const std::vector<const Cost*>& costs, std::string label);

    std::vector<std::string> labels_;
    std::deque<Frame> frames_;
};

} // namespace orb::preview
