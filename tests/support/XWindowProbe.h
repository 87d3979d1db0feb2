#pragma once

// XWindowProbe -- what the X server shows of a window: its pixels, place, size, class and title.
// Kept apart from the device headers because Xlib's macros (None, Status, ...) clash with them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct _XDisplay;

namespace orb::gfx::test {

struct WindowFacts
{
    int x = -1, y = -1, width = 0, height = 0;
    int screenWidth = 0, screenHeight = 0;
    std::string windowClass;
    std::string title;
};

class XWindowProbe
{
public:
    XWindowProbe();
    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    bool connected() const { return display_ != nullptr; }
    WindowFacts facts(std::uintptr_t window);
    // Resizes the window as a window manager or its user would.
    void resize(std::uintptr_t window, int width, int height);
    // The window's pixels as B, G, R, A bytes (A is 255), rows top first.
    std::vector<std::uint8_t> pixels(std::uintptr_t window, int width, int height);

private:
    std::string title(std::uintptr_t window);

    ::_XDisplay* display_;
};

} // namespace orb::gfx::test
