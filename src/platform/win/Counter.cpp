#include "platform/win/Counter.h"

#include <SDL.h>

namespace orb::win {

namespace {

class SdlCounter final : public Counter
{
public:
    std::int64_t now() override { return static_cast<std::int64_t>(SDL_GetPerformanceCounter()); }
    std::int64_t frequency() override { return static_cast<std::int64_t>(SDL_GetPerformanceFrequency()); }
};

} // namespace

Counter& performanceCounter()
{
    static SdlCounter counter;
    return counter;
}

} // namespace orb::win
