#pragma once

// Statistics -- the order statistics Orb's timings are reported in, one definition for every
// tool: a percentile is the nearest rank, so that it is always one of the values measured.
//
//   double typical = median(frameTimes);
//   double bad = percentile(frameTimes, 0.95);   // of twenty frames, the 19th fastest

#include <utility>
#include <vector>

namespace orb::app {

// The smallest of `values` that `fraction` of them are at or below (0 when there are none).
double percentile(std::vector<double> values, double fraction);

// The lower middle value of an even count.
inline double median(std::vector<double> values)
{
    return percentile(std::move(values), 0.5);
}

} // namespace orb::app
