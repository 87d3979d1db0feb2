#include "platform/win/DisplayModes.h"

#include <SDL.h>

namespace orb::win {

std::vector<DisplayMode> displayModes()
{
    std::vector<DisplayMode> modes;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, index, &mode) == 0)
            modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BYTESPERPIXEL(mode.format))});
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return modes;
}

} // namespace orb::win
