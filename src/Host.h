#pragma once

// Host -- what the program around the engine provides: the clock's counter, where frames go and
// where sound goes. The player has the real clock, a window and the sound card; tests and the
// off-screen renderer have a counter that steps in virtual time, an off-screen device whose
// frames go to a reader, and a silent sound output.

#include "platform/gfx/Backend.h"
#include "platform/win/Counter.h"

namespace orb {

enum class GraphicsBackend
{
    Window,
    Offscreen,
};

enum class SoundOutput
{
    Device,
    Silent,
};

struct Host
{
    win::Counter& counter;
    GraphicsBackend graphics = GraphicsBackend::Window;
    gfx::FrameReader frameReader = {}; // receives presented frames off-screen
    SoundOutput sound = SoundOutput::Device;

    static Host player() { return Host{win::performanceCounter()}; }
    static Host offscreen(win::Counter& counter, gfx::FrameReader reader = {})
    {
        return Host{counter, GraphicsBackend::Offscreen, std::move(reader), SoundOutput::Silent};
    }
};

} // namespace orb
