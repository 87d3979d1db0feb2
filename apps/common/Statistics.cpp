#include "Statistics.h"

#include <algorithm>
#include <cmath>

namespace orb::app {

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    const double rank = std::ceil(fraction * static_cast<double>(values.size()));
    const auto index =
        static_cast<std::size_t>(std::clamp(rank, 1.0, static_cast<double>(values.size()))) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index), values.end());
    return values[index];
}

} // namespace orb::app
