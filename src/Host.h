#pragma once

// Host -- what the program around the engine provides: the clock's counter and where frames
// go. The player has the real clock and a window; tests and the off-screen renderer have a
// counter that steps in virtual time and an off-screen device whose frames go to a reader.

#include "platform/gfx/Backend.h"
#include "platform/win/Counter.h"

namespace orb {

enum class GraphicsBackend
{
    Window,
    Offscreen,
};

struct Host
{
    win::Counter& counter;
    GraphicsBackend graphics = GraphicsBackend::Window;
    gfx::FrameReader frameReader = {}; // receives presented frames off-screen

    static Host player() { return Host{win::performanceCounter()}; }
    static Host offscreen(win::Counter& counter, gfx::FrameReader reader = {})
    {
        return Host{counter, GraphicsBackend::Offscreen, std::move(reader)};
    }
};

} // namespace orb
