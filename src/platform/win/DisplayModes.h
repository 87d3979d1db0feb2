#pragma once

// DisplayModes -- the displays the window system has, each with the modes it offers in the order
// the system lists them. The primary display comes first (SDL lists it so). Empty when there is
// no display.

#include <string>
#include <vector>

namespace orb::win {

struct DisplayMode
{
    int width;
    int height;
    int bytesPerPixel; // 4 for the "32 bits per pixel" modes
};

struct Display
{
    std::string name;
    int width = 0; // of the desktop's mode
    int height = 0;
    std::vector<DisplayMode> modes;
    bool switchesModes = true; // full screen can switch it to one of its modes
};

std::vector<Display> displays();

// Why full screen cannot switch a display's mode here, for the log; empty where it can. Wayland
// switches none, and beside other X displays SDL 2 would resize the whole X screen to the one
// mode: the others would no longer fit, and the mode could not be switched back. Needs SDL's
// video started.
std::string modeSwitchRefusal();

} // namespace orb::win
