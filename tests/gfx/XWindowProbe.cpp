#include "XWindowProbe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace orb::gfx::test {

XWindowProbe::XWindowProbe() : display_(XOpenDisplay(nullptr)) {}

XWindowProbe::~XWindowProbe()
{
    if (display_ != nullptr)
        XCloseDisplay(display_);
}

WindowFacts XWindowProbe::facts(std::uintptr_t window)
{
    WindowFacts facts;
    XSync(display_, False);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, window, &attributes) == 0)
        return facts;
    facts.width = attributes.width;
    facts.height = attributes.height;
    facts.screenWidth = WidthOfScreen(attributes.screen);
    facts.screenHeight = HeightOfScreen(attributes.screen);
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &facts.x, &facts.y, &child);
    XClassHint hint;
    if (XGetClassHint(display_, window, &hint) != 0) {
        facts.windowClass = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    char* title = nullptr;
    if (XFetchName(display_, window, &title) != 0 && title != nullptr) {
        facts.title = title;
        XFree(title);
    }
    return facts;
}

std::vector<std::uint8_t> XWindowProbe::pixels(std::uintptr_t window, int width, int height)
{
    XSync(display_, False);
    XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    std::vector<std::uint8_t> pixels;
    if (image == nullptr)
        return pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long value = XGetPixel(image, x, y);
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(value & 0xFF),
                                         static_cast<std::uint8_t>((value >> 8) & 0xFF),
                                         static_cast<std::uint8_t>((value >> 16) & 0xFF), 255});
        }
    }
    XDestroyImage(image);
    return pixels;
}

} // namespace orb::gfx::test
