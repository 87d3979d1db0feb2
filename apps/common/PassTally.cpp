#include "PassTally.h"

#include "Statistics.h"

#include <algorithm>

namespace orb::app {

namespace {

PassTally::Cost medianOf(const std::vector<const PassTally::Cost*>& costs, std::string label)
{
    std::vector<double> clock, gl;
    for (const PassTally::Cost* cost : costs) {
        clock.push_back(cost->clockMilliseconds);
        gl.push_back(cost->glMilliseconds);
    }
    return {std::move(label), median(std::move(clock)), median(std::move(gl))};
}

} // namespace

void PassTally::add(const std::vector<gfx::PassTimer::Time>& passes)
{
    Frame frame{std::vector<Cost>(labels_.size()), {}};
    for (const gfx::PassTimer::Time& pass : passes) {
        if (!pass.ran)
            continue;
        const std::string label =
            nesting_ == Nesting::IntoOutermost ? pass.label.substr(0, pass.label.find(" / ")) : pass.label;
        auto known = std::find(labels_.begin(), labels_.end(), label);
        if (known == labels_.end()) {
            known = labels_.insert(labels_.end(), label);
            frame.passes.emplace_back();
        }
        Cost& cost = frame.passes[static_cast<std::size_t>(known - labels_.begin())];
        cost.label = label;
        cost.clockMilliseconds += pass.wallMilliseconds;
        cost.glMilliseconds += pass.glMilliseconds;
        frame.total.clockMilliseconds += pass.wallMilliseconds;
        frame.total.glMilliseconds += pass.glMilliseconds;
    }
    frames_.push_back(std::move(frame));
}

void PassTally::forgetOldest()
{
    if (!frames_.empty())
        frames_.pop_front();
}

std::vector<PassTally::Cost> PassTally::passes() const
{
    std::vector<Cost> costs;
    for (std::size_t label = 0; label < labels_.size(); ++label) {
        std::vector<const Cost*> ran;
        for (const Frame& frame : frames_) {
            if (label < frame.passes.size() && !frame.passes[label].label.empty())
                ran.push_back(&frame.passes[label]);
        }
        if (!ran.empty())
            costs.push_back(medianOf(ran, labels_[label]));
    }
    return costs;
}

PassTally::Cost PassTally::frameTotal() const
{
    std::vector<const Cost*> totals;
    for (const Frame& frame : frames_)
        totals.push_back(&frame.total);
    return medianOf(totals, "frame");
}

} // namespace orb::app
