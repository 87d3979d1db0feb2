#include "platform/win/DisplayModes.h"

#include <SDL.h>

namespace orb::win {

namespace {

std::vector<DisplayMode> modesOf(int display)
{
    std::vector<DisplayMode> modes;
    const int count = SDL_GetNumDisplayModes(display);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, index, &mode) == 0)
            modes.push_back({mode.w, mode.h, static_cast<int>(SDL_BYTESPERPIXEL(mode.format))});
    }
    return modes;
}

} // namespace

std::string modeSwitchRefusal()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::string(driver) == "wayland")
        return "Wayland switches no modes";
    if (SDL_GetNumVideoDisplays() > 1)
        return "SDL switches no mode beside other displays";
    return {};
}

std::vector<Display> displays()
{
    std::vector<Display> found;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return found;
    const int count = SDL_GetNumVideoDisplays();
    for (int index = 0; index < count; ++index) {
        Display display;
        const char* name = SDL_GetDisplayName(index);
        display.name = name != nullptr ? name : "";
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(index, &desktop) == 0) {
            display.width = desktop.w;
            display.height = desktop.h;
        }
        display.modes = modesOf(index);
        display.switchesModes = modeSwitchRefusal().empty();
        found.push_back(std::move(display));
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return found;
}

} // namespace orb::win
