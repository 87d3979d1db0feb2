#pragma once

// PassCosts -- what the passes cost over the last second, as the preview's cost panel shows it:
// a tally of the frames timed within the second before the latest, each pass with the passes
// inside it.
//
//   costs.add(device.passTimer()->endFrame(), std::chrono::steady_clock::now());
//   for (const app::PassTally::Cost& pass : costs.tally().passes()) ...   // {"post: compose", 2.6, 2.4}

#include "PassTally.h"

#include <chrono>
#include <deque>
#include <vector>

namespace orb::preview {

class PassCosts
{
public:
    using Clock = std::chrono::steady_clock;

    void add(const std::vector<gfx::PassTimer::Time>& passes, Clock::time_point at);
    const app::PassTally& tally() const { return tally_; }

private:
    app::PassTally tally_{app::PassTally::Nesting::IntoOutermost};
    std::deque<Clock::time_point> timedAt_; // the tally's frames, oldest first
};

} // namespace orb::preview
