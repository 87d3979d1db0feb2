#pragma once

#include "platform/win/MessageQueue.h"

#include <vector>

namespace orb {

struct DisplayMode
{
    int width = 0;
    int height = 0;
};

// The viewer's choices, filled by the setup dialog and read by the graphics and sound systems.
struct DemoSettings
{
    std::vector<DisplayMode> displayModes;
    int width = 1280;
    int height = 720;
    float aspectRatio = 0.0f; // of the physical display, width / height
    int multisampleType = 4;  // 0 none, 1 non-maskable, 2 to 16 samples
    int fullscreen = 1;
    int display = 0;         // as the window system lists them, the primary first
    int keepDesktopMode = 0; // full screen keeps the display's mode and scales the frames into it
    int sound = 1;
    int loopDemo = 0;
    // Milliseconds the sound reaches the ear after (negative: before) what its output reports,
    // for a sound system that reports its latency wrongly.
    int soundOffset = 0;
    const char* scriptPath = nullptr;
    win::WindowHandle window = 0; // 0 asks the graphics system to create the window
    win::WindowProc windowProc = nullptr;
};

} // namespace orb
