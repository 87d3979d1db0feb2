#include "platform/gfx/Backend.h"
#include "platform/gfx/PlanarReadback.h"

#include <cstdio>
#include <cstdlib>
#include <epoxy/egl.h>
#include <string>
#include <vector>

namespace orb::gfx {

namespace {

// An OpenGL 4.5 core context on an EGL display without a window or a surface: a device's, or
// Mesa's surfaceless one.
class OffscreenBackend final : public Backend
{
public:
    OffscreenBackend(EGLDisplay display, EGLContext context, FrameReader reader, PixelLayout layout,
                     std::string description)
        : display_(display), context_(context), reader_(std::move(reader)), layout_(layout),
          planes_(layout == PixelLayout::Planar420 ? std::make_unique<PlanarReadback>() : nullptr),
          description_(std::move(description))
    {}

    ~OffscreenBackend() override
    {
        planes_.reset(); // while the context is current
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }

    void present(GLuint framebuffer, int width, int height) override
    {
        if (!reader_)
            return;
        // Capturing no more than `this` and an index keeps the function within std::function's
        // own storage: a frame presented allocates nothing.
        if (layout_ == PixelLayout::Planar420) {
            const std::size_t index = planes_->queue(framebuffer, width, height);
            reader_(FramePixels(
                width, height, [this, index] { return planes_->bytes(index); }, layout_));
            return;
        }
        presented_ = {framebuffer, width, height};
        reader_(FramePixels(width, height, [this] { return readPresented(); }));
    }

    std::string description() const override { return description_; }

private:
    const std::uint8_t* readPresented()
    {
        const auto [framebuffer, width, height] = presented_;
        pixels_.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadnPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(pixels_.size()),
                      pixels_.data());
        return pixels_.data();
    }

    struct Presented
    {
        GLuint framebuffer;
        int width, height;
    };

    EGLDisplay display_;
    EGLContext context_;
    FrameReader reader_;
    PixelLayout layout_;
    std::unique_ptr<PlanarReadback> planes_; // for Planar420 only
    Presented presented_{};
    std::vector<std::uint8_t> pixels_;
    std::string description_;
};

std::string eglErrorCode()
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return code;
}

std::unique_ptr<Backend> refuse(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return nullptr;
}

// A display off-screen rendering can draw on, and which it is, for the log.
struct OffscreenDisplay
{
    EGLDisplay display = EGL_NO_DISPLAY;
    std::string description;
    std::string failure; // why there is none
};

OffscreenDisplay initialised(EGLDisplay display, std::string description)
{
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE)
        return {EGL_NO_DISPLAY, {}, "cannot open " + description + " (EGL error " + eglErrorCode() + ")"};
    return {display, std::move(description), {}};
}

// EGL's device platform, which the proprietary NVIDIA driver offers as well as Mesa: its first
// device, the one a render machine's driver lists for its first graphics card.
OffscreenDisplay deviceDisplay()
{
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_device") ||
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_device_enumeration"))
        return {EGL_NO_DISPLAY, {}, "EGL has no device platform"};
    EGLDeviceEXT device = nullptr;
    EGLint count = 0;
    if (eglQueryDevicesEXT(1, &device, &count) != EGL_TRUE || count < 1)
        return {EGL_NO_DISPLAY, {}, "EGL lists no device"};
    return initialised(eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, device, nullptr),
                       "EGL's device platform");
}

// Mesa's surfaceless platform: no display, no window, no surface.
OffscreenDisplay surfacelessDisplay()
{
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless"))
        return {EGL_NO_DISPLAY, {}, "EGL has no surfaceless platform"};
    return initialised(eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr),
                       "Mesa's surfaceless EGL platform");
}

// The platforms tried, in order: both unless ORB_EGL_PLATFORM names one ("device" or
// "surfaceless"), as a test or a user with a driver of two minds would.
std::vector<OffscreenDisplay (*)()> platformsToTry(std::string* refusal)
{
    const char* chosen = std::getenv("ORB_EGL_PLATFORM");
    const std::string name = chosen != nullptr ? chosen : "";
    if (name.empty())
        return {deviceDisplay, surfacelessDisplay};
    if (name == "device")
        return {deviceDisplay};
    if (name == "surfaceless")
        return {surfacelessDisplay};
    *refusal = "ORB_EGL_PLATFORM is '" + name + "': it names 'device' or 'surfaceless'";
    return {};
}

// A current OpenGL 4.5 core context without a surface on `display`; none, with why, when it fails.
EGLContext currentContext(EGLDisplay display, std::string& failure)
{
    if (!epoxy_has_egl_extension(display, "EGL_KHR_no_config_context") ||
        eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        failure = "EGL cannot make an OpenGL context without a surface";
        return EGL_NO_CONTEXT;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 4,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 5,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    const EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        failure = "cannot create an OpenGL 4.5 core context (EGL error " + eglErrorCode() + ")";
        return EGL_NO_CONTEXT;
    }
    if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
        failure = "cannot make the OpenGL context current (EGL error " + eglErrorCode() + ")";
        eglDestroyContext(display, context);
        return EGL_NO_CONTEXT;
    }
    return context;
}

} // namespace

std::unique_ptr<Backend> createOffscreenBackend(std::string* error, FrameReader reader, PixelLayout layout)
{
    std::string refusal;
    for (const auto platform : platformsToTry(&refusal)) {
        OffscreenDisplay opened = platform();
        if (opened.display != EGL_NO_DISPLAY) {
            const EGLContext context = currentContext(opened.display, opened.failure);
            if (context != EGL_NO_CONTEXT)
                return std::make_unique<OffscreenBackend>(opened.display, context, std::move(reader), layout,
                                                          std::move(opened.description));
            opened.failure = opened.description + ": " + opened.failure;
        }
        refusal += (refusal.empty() ? "" : "; ") + opened.failure;
    }
    return refuse(error, refusal);
}

} // namespace orb::gfx
