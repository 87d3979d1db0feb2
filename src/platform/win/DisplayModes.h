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
};

std::vector<Display> displays();

} // namespace orb::win
