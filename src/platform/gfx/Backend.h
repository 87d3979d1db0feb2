#pragma once

// Backend -- where the device's GL context lives and where finished frames go.
//
// Two backends give the same device:
//   createWindowBackend   an SDL window with an OpenGL 4.5 core context; present() flips the
//                         frame into the window, scaled to fit it, and waits for the display
//                         (vsync).
//   createOffscreenBackend an EGL context without a window or surface, on EGL's device platform
//                         (the proprietary NVIDIA driver's and Mesa's), else on Mesa's
//                         surfaceless platform; ORB_EGL_PLATFORM=device or surfaceless chooses
//                         one. present() hands the frame's pixels to a reader, if one is set.
// The backend's context is current from its creation on; the device is created on top of it.
//
//   std::string error;
//   auto backend = createOffscreenBackend(&error);          // null + reason on failure
//   auto device = Device::create(std::move(backend), {1280, 720, 0}, &error);

#include "platform/gfx/Codes.h"
#include "platform/win/MessageQueue.h"

#include <cstddef>
#include <cstdint>
#include <epoxy/gl.h>
#include <functional>
#include <memory>
#include <string>

namespace orb::gfx {

class Backend
{
public:
    virtual ~Backend() = default;

    // Shows or hands over the frame in `framebuffer`: single-sampled, row 0 at the top.
    virtual void present(GLuint framebuffer, int width, int height) = 0;

    // The window's X11 id; 0 off-screen.
    virtual win::WindowHandle windowHandle() const { return 0; }

    // Where the context lives, for the log: "EGL's device platform" or "Mesa's surfaceless EGL
    // platform"; for a window, its display, the display's mode and SDL's video driver.
    virtual std::string description() const { return {}; }

    // Shows the window over the whole display, its frames scaled to fit, or as a window again;
    // false off-screen or when the window system refuses.
    virtual bool setFullscreen(bool) { return false; }

    // Draws over every frame the window shows, in the window's own pixels, after the frame is
    // placed and before it is shown, with the window's framebuffer bound for drawing; whatever GL
    // state it changes, it restores. An empty one draws nothing. False off-screen, where there is
    // no window to draw over.
    using WindowOverlay = std::function<void()>;
    virtual bool setOverlay(WindowOverlay) { return false; }
};

struct WindowDescription
{
    int width = 640;
    int height = 480;
    bool fullscreen = false;
    int display = 0; // as SDL lists them, the primary first
    // Full screen in the display's own mode, the frames scaled into it with their aspect kept,
    // rather than in a mode of the frames' size. Also where the display has no such mode, or the
    // window system cannot switch modes (Wayland).
    bool keepDesktopMode = false;
    win::WindowProc procedure = nullptr; // receives the window's messages
};

std::unique_ptr<Backend> createWindowBackend(const WindowDescription& description, std::string* error);

// How a finished frame's pixels come to its reader. Bgra: A8R8G8B8 (bytes B, G, R, A), rows top
// first, no padding, read back when the reader asks, in the present. Planar420: 4:2:0 BT.709 in
// limited range (see PlanarPlanes), converted on the renderer and readable until the picture after
// next is presented, so that a reader taking them one picture late finds them read without waiting.
enum class PixelLayout
{
    Bgra,
    Planar420,
};

// Where a Planar420 frame's planes lie: the luma's rows top first, then the blue difference's and
// the red difference's at half the size both ways (an even width and height); the luma's rows
// padded to a whole number of 4-byte groups, the differences' to half as many bytes.
struct PlanarPlanes
{
    PlanarPlanes(int width, int height)
        : lumaRow((width + 3) / 4 * 4), differenceRow(lumaRow / 2),
          blueAt(static_cast<std::size_t>(lumaRow) * static_cast<std::size_t>(height)),
          redAt(blueAt + static_cast<std::size_t>(differenceRow) * static_cast<std::size_t>(height / 2)),
          size(redAt + (redAt - blueAt))
    {}

    int lumaRow, differenceRow; // bytes from one row to the next
    std::size_t blueAt, redAt, size;
};

// A finished frame: its size, and its pixels, which are read back only when a reader asks.
class FramePixels
{
public:
    FramePixels(int width, int height, std::function<const std::uint8_t*()> read,
                PixelLayout layout = PixelLayout::Bgra)
        : width(width), height(height), layout(layout), read_(std::move(read))
    {}

    // Null when reading back failed.
    const std::uint8_t* pixels() const { return read_(); }

    int width;
    int height;
    PixelLayout layout;

private:
    std::function<const std::uint8_t*()> read_;
};

using FrameReader = std::function<void(const FramePixels& frame)>;

std::unique_ptr<Backend> createOffscreenBackend(std::string* error, FrameReader reader = {},
                                                PixelLayout layout = PixelLayout::Bgra);

// Whether a back buffer or depth buffer of `format` can have `multisampleType` samples
// (0 none, 1 non-maskable, 2 to 16). Needs a backend's context to be current.
bool checkMultiSampleType(Format format, int multisampleType);

// GL sample count for a Direct3D multisample type.
int sampleCount(int multisampleType);

} // namespace orb::gfx
