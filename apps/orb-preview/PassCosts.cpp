#include "PassCosts.h"

#include <algorithm>

namespace orb::preview {

namespace {

constexpr auto Window = std::chrono::seconds(1);

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

void PassCosts::add(const std::vector<gfx::PassTimer::Time>& passes, Clock::time_point at)
{
    Frame frame{at, std::vector<Cost>(labels_.size()), {}};
    for (const gfx::PassTimer::Time& pass : passes) {
        if (!pass.ran)
            continue;
        // A pass inside another ("post: compose / Compositor.fx pass 0") is part of its cost.
        const std::string outermost = pass.label.substr(0, pass.label.find(" / "));
        auto label = std::find(labels_.begin(), labels_.end(), outermost);
        if (label == labels_.end()) {
            label = labels_.insert(labels_.end(), outermost);
            frame.passes.emplace_back();
        }
        Cost& cost = frame.passes[static_cast<std::size_t>(label - labels_.begin())];
        cost.label = outermost;
        cost.glMilliseconds += pass.glMilliseconds;
        cost.clockMilliseconds += pass.wallMilliseconds;
        frame.total.glMilliseconds += pass.glMilliseconds;
        frame.total.clockMilliseconds += pass.wallMilliseconds;
    }
    frames_.push_back(std::move(frame));
    while (frames_.front().at < at - Window)
        frames_.pop_front();
}

PassCosts::Cost PassCosts::median(const std::vector<const Cost*>& costs, std::string label)
{
    std::vector<double> gl, clock;
    for (const Cost* cost : costs) {
        gl.push_back(cost->glMilliseconds);
        clock.push_back(cost->clockMilliseconds);
    }
    return {std::move(label), medianOf(std::move(gl)), medianOf(std::move(clock))};
}

std::vector<PassCosts::Cost> PassCosts::passes() const
{
    std::vector<Cost> costs;
    for (std::size_t label = 0; label < labels_.size(); ++label) {
        std::vector<const Cost*> ran;
        for (const Frame& frame : frames_) {
            if (label < frame.passes.size() && !frame.passes[label].label.empty())
                ran.push_back(&frame.passes[label]);
        }
        if (!ran.empty())
            costs.push_back(median(ran, labels_[label]));
    }
    return costs;
}

PassCosts::Cost PassCosts::frameTotal() const
{
    std::vector<const Cost*> totals;
    for (const Frame& frame : frames_)
        totals.push_back(&frame.total);
    return median(totals, "frame");
}

} // namespace orb::preview
