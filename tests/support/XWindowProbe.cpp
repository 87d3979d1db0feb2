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

// The UTF-8 _NET_WM_NAME that window managers show, else the plain WM_NAME.
std::string XWindowProbe::title(std::uintptr_t window)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* value = nullptr;
    const Atom name = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    std::string title;
    if (XGetWindowProperty(display_, window, name, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &value) == Success &&
        value != nullptr) {
        title.assign(reinterpret_cast<char*>(value), count);
        XFree(value);
    }
    char* plain = nullptr;
    if (title.empty() && XFetchName(display_, window, &plain) != 0 && plain != nullptr) {
        title = plain;
        XFree(plain);
    }
    return title;
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
    facts.title = title(window);
    return facts;
}

void XWindowProbe::resize(std::uintptr_t window, int width, int height)
{
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
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
