#pragma once

// PassTally -- what the passes of a run of frames cost, as orb-render's --passes and the
// preview's cost panel report it: for each pass, the median over the frames that ran it of its
// time on the clock and by the GL timer query, and the median frame's totals.
//
// Both times, because a software rasteriser's timer query leaves out the vertex work done on the
// thread that feeds it: a scene of many small draws costs far more on the clock than its query
// says.
//
//   PassTally tally(PassTally::Nesting::IntoOutermost);
//   tally.add(device.passTimer()->endFrame());
//   for (const PassTally::Cost& pass : tally.passes()) ...   // {"post: compose", 2.6, 2.4}
//   tally.forgetOldest();                                     // a tally over a moving window

#include "platform/gfx/PassTimer.h"

#include <deque>
#include <string>
#include <vector>

namespace orb::app {

class PassTally
{
public:
    enum class Nesting
    {
        // A pass inside another ("post: compose / Compositor.fx pass 0") times only its own work:
        Apart,         // on a row of its own,
        IntoOutermost, // or added to the outermost pass around it.
    };

    struct Cost
    {
        std::string label;
        double clockMilliseconds = 0.0;
        double glMilliseconds = 0.0;
    };

    explicit PassTally(Nesting nesting) : nesting_(nesting) {}

    // One frame's passes; those that did not run are left out.
    void add(const std::vector<gfx::PassTimer::Time>& passes);
    void forgetOldest();
    std::size_t frames() const { return frames_.size(); }
    // Each pass that ran in the frames tallied, in the order it first ran.
    std::vector<Cost> passes() const;
    // Labelled "frame".
    Cost frameTotal() const;

private:
    struct Frame
    {
        std::vector<Cost> passes; // by label's place; with an empty label where it did not run
        Cost total;
    };

    Nesting nesting_;
    std::vector<std::string> labels_;
    std::deque<Frame> frames_;
};

} // namespace orb::app
