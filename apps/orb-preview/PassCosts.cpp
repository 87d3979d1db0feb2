#include "PassCosts.h"

namespace orb::preview {

void PassCosts::add(const std::vector<gfx::PassTimer::Time>& passes, Clock::time_point at)
{
    constexpr auto Window = std::chrono::seconds(1);
    tally_.add(passes);
    timedAt_.push_back(at);
    while (timedAt_.front() < at - Window) {
        timedAt_.pop_front();
        tally_.forgetOldest();
    }
}

} // namespace orb::preview
