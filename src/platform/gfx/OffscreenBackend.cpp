#include "platform/gfx/Backend.h"
#include "platform/gfx/PlanarReadback.h"

#include <epoxy/egl.h>
#include <vector>

namespace orb::gfx {

namespace {

// An OpenGL 4.5 core context on Mesa's surfaceless platform: no display, no window, no surface.
class OffscreenBackend final : public Backend
{
public:
    OffscreenBackend(EGLDisplay display, EGLContext context, FrameReader reader, PixelLayout layout)
        : display_(display), context_(context), reader_(std::move(reader)), layout_(layout),
          planes_(layout == PixelLayout::Planar420 ? std::make_unique<PlanarReadback>() : nullptr)
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
};

std::unique_ptr<Backend> refuse(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason + " (EGL error 0x" + [] {
            char code[16];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(eglGetError()));
            return std::string(code);
        }() + ")";
    return nullptr;
}

} // namespace

std::unique_ptr<Backend> createOffscreenBackend(std::string* error, FrameReader reader, PixelLayout layout)
{
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless"))
        return refuse(error, "EGL has no surfaceless platform");
    const EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0;
    EGLint minor = 0;
    if (display == EGL_NO_DISPLAY || eglInitialize(display, &major, &minor) != EGL_TRUE)
        return refuse(error, "cannot open the surfaceless EGL display");
    if (!epoxy_has_egl_extension(display, "EGL_KHR_no_config_context") ||
        eglBindAPI(EGL_OPENGL_API) != EGL_TRUE)
        return refuse(error, "EGL cannot make an OpenGL context without a surface");
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 4,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 5,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    const EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
        return refuse(error, "cannot create an OpenGL 4.5 core context");
    if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
        eglDestroyContext(display, context);
        return refuse(error, "cannot make the OpenGL context current");
    }
    return std::make_unique<OffscreenBackend>(display, context, std::move(reader), layout);
}

} // namespace orb::gfx
