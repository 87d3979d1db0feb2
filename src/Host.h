#pragma once

// Host -- what the program around the engine provides: the player gives the real clock, tests
// and the off-screen renderer a counter that steps in virtual time.

#include "platform/win/Counter.h"

namespace orb {

struct Host
{
    win::Counter& counter;

    static Host player() { return Host{win::performanceCounter()}; }
};

} // namespace orb
