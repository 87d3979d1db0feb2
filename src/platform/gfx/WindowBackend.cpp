#include "platform/gfx/Backend.h"
#include "platform/win/DisplayModes.h"
#include "platform/win/FileLookup.h"
#include "platform/win/QuitRequests.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace orb::gfx {

namespace {

struct Placement
{
    int left, bottom, width, height;
};

// The largest rectangle of the frame's shape that fits the window, centred.
Placement fitted(int width, int height, int windowWidth, int windowHeight)
{
    if (width == windowWidth && height == windowHeight)
        return {0, 0, width, height};
    const double scale =
        std::min(static_cast<double>(windowWidth) / width, static_cast<double>(windowHeight) / height);
    const int shownWidth = static_cast<int>(std::lround(width * scale));
    const int shownHeight = static_cast<int>(std::lround(height * scale));
    return {(windowWidth - shownWidth) / 2, (windowHeight - shownHeight) / 2, shownWidth, shownHeight};
}

// An SDL window with an OpenGL 4.5 core context; frames are flipped into it and shown on vsync.
class WindowBackend final : public Backend
{
public:
    WindowBackend(SDL_Window* window, SDL_GLContext context, win::WindowHandle handle,
                  std::string description)
        : window_(window), context_(context), handle_(handle), description_(std::move(description))
    {}

    ~WindowBackend() override
    {
        win::MessageQueue::setWindowProc(SDL_GetWindowID(window_), nullptr);
        // Without a server there is nothing to close, and closing SDL's second connection to it
        // would end the process through Xlib's exit().
        if (win::displayLost())
            return;
        SDL_GL_DeleteContext(context_);
        SDL_DestroyWindow(window_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void present(GLuint framebuffer, int width, int height) override
    {
        int shownWidth = width, shownHeight = height;
        SDL_GL_GetDrawableSize(window_, &shownWidth, &shownHeight);
        const Placement placed = fitted(width, height, shownWidth, shownHeight);
        const bool exact = placed.width == width && placed.height == height;
        if (placed.width != shownWidth || placed.height != shownHeight) {
            const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            glClearNamedFramebufferfv(0, GL_COLOR, 0, black);
        }
        // Row 0 of the frame is its top; the window's framebuffer starts at the bottom.
        glBlitNamedFramebuffer(framebuffer, 0, 0, 0, width, height, placed.left,
                               placed.bottom + placed.height, placed.left + placed.width, placed.bottom,
                               GL_COLOR_BUFFER_BIT, exact ? GL_NEAREST : GL_LINEAR);
        if (overlay_)
            drawOverlay();
        SDL_GL_SwapWindow(window_);
    }

    win::WindowHandle windowHandle() const override { return handle_; }

    std::string description() const override { return description_; }

    bool setFullscreen(bool fullscreen) override
    {
        if (SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
            return false;
        SDL_ShowCursor(fullscreen ? SDL_DISABLE : SDL_ENABLE);
        return true;
    }

    bool setOverlay(WindowOverlay overlay) override
    {
        overlay_ = std::move(overlay);
        return true;
    }

private:
    // The device keeps its own target bound for drawing and expects to find it so.
    void drawOverlay()
    {
        GLint target = 0;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        overlay_();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(target));
    }

    SDL_Window* window_;
    SDL_GLContext context_;
    win::WindowHandle handle_;
    std::string description_;
    WindowOverlay overlay_;
};

std::unique_ptr<Backend> refuse(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason + ": " + SDL_GetError();
    return nullptr;
}

// The window's X11 id, 0 when it has none. A display that goes away from now on ends the demo by
// its own shutdown rather than by Xlib's exit().
win::WindowHandle watchX11Window(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
        return 0;
    win::watchDisplay(info.info.x11.display);
    return static_cast<win::WindowHandle>(info.info.x11.window);
}

std::string sizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// Whether the display has a mode of exactly this size: SDL would otherwise switch to the nearest
// one and stretch the frames out of their shape.
bool hasMode(int display, int width, int height)
{
    const int count = SDL_GetNumDisplayModes(display);
    for (int index = 0; index < count; ++index) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, index, &mode) == 0 && mode.w == width && mode.h == height)
            return true;
    }
    return false;
}

struct Covering
{
    Uint32 flags;
    std::string said; // for the log
};

Covering covering(const WindowDescription& description)
{
    if (!description.fullscreen)
        return {0, "in a window"};
    const std::string size = sizeText(description.width, description.height);
    if (const std::string refusal = win::modeSwitchRefusal(); !refusal.empty())
        return {SDL_WINDOW_FULLSCREEN_DESKTOP, "full screen in the desktop's mode (" + refusal + ")"};
    if (description.keepDesktopMode)
        return {SDL_WINDOW_FULLSCREEN_DESKTOP, "full screen in the desktop's mode"};
    if (!hasMode(description.display, description.width, description.height))
        return {SDL_WINDOW_FULLSCREEN_DESKTOP,
                "full screen in the desktop's mode (it has no " + size + " mode)"};
    return {SDL_WINDOW_FULLSCREEN, "full screen in its " + size + " mode"};
}

} // namespace

std::unique_ptr<Backend> createWindowBackend(const WindowDescription& description, std::string* error)
{
    // SDL takes the X11 class from the environment, read when the video subsystem starts.
    ::setenv("SDL_VIDEO_X11_WMCLASS", "OrbEngineClass", 1);
    // A notification taking the focus must not send the demo to the task bar mid-show.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return refuse(error, "cannot start SDL video");
    // Without a display SDL falls back on windows nobody can see; a viewer would wait for nothing.
    const std::string driver = SDL_GetCurrentVideoDriver();
    if (driver != "x11" && driver != "wayland") {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error != nullptr)
            *error = "no display to show a window on (SDL's video driver would be '" + driver + "')";
        return nullptr;
    }
    const int displays = SDL_GetNumVideoDisplays();
    if (description.display < 0 || description.display >= displays) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (error != nullptr)
            *error = "there is no display " + std::to_string(description.display + 1) +
                     ": the window system has " + std::to_string(displays);
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    const Covering cover = covering(description);
    // At the display's top left corner: full screen then covers that display and no other.
    SDL_Rect bounds{0, 0, 0, 0};
    SDL_GetDisplayBounds(description.display, &bounds);
    SDL_Window* window =
        SDL_CreateWindow(win::programTitle().c_str(), bounds.x, bounds.y, description.width,
                         description.height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | cover.flags);
    if (window == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return refuse(error, "cannot create the window");
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr || SDL_GL_MakeCurrent(window, context) != 0) {
        std::unique_ptr<Backend> failure = refuse(error, "cannot create an OpenGL 4.5 core context");
        SDL_GL_DeleteContext(context);
        SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return failure;
    }
    SDL_GL_SetSwapInterval(1);
    if (description.fullscreen)
        SDL_ShowCursor(SDL_DISABLE);
    win::MessageQueue::setWindowProc(SDL_GetWindowID(window), description.procedure);
    const char* name = SDL_GetDisplayName(description.display);
    std::string said = "display " + std::to_string(description.display + 1) + " '" +
                       (name != nullptr ? name : "") + "' (" + sizeText(bounds.w, bounds.h) + ") " +
                       cover.said + ", on SDL's '" + driver + "' video driver";
    return std::make_unique<WindowBackend>(window, context, watchX11Window(window), std::move(said));
}

} // namespace orb::gfx
