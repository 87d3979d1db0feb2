#pragma once

// DisplayModes -- the modes display 0 offers, in the order the system lists them.
// Empty when there is no display.

#include <vector>

namespace orb::win {

struct DisplayMode
{
    int width;
    int height;
    int bytesPerPixel; // 4 for the "32 bits per pixel" modes
};

std::vector<DisplayMode> displayModes();

} // namespace orb::win
