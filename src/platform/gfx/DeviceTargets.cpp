#include "platform/gfx/Device.h"
#include "platform/gfx/GlFormat.h"
#include "platform/gfx/WorkCounters.h"

#include <algorithm>

namespace orb::gfx {

namespace {

bool hasStencil(Format format)
{
    return format == Format::D24S8 || format == Format::D24X8;
}

void attach(GLuint framebuffer, GLenum attachment, GLuint name, bool renderbuffer, int level)
{
    if (renderbuffer)
        glNamedFramebufferRenderbuffer(framebuffer, attachment, GL_RENDERBUFFER, name);
    else
        glNamedFramebufferTexture(framebuffer, attachment, name, level);
}

std::vector<GLint> supportedSampleCounts(GLenum internalFormat)
{
    GLint count = 0;
    glGetInternalformativ(GL_RENDERBUFFER, internalFormat, GL_NUM_SAMPLE_COUNTS, 1, &count);
    std::vector<GLint> counts(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0)
        glGetInternalformativ(GL_RENDERBUFFER, internalFormat, GL_SAMPLES, count, counts.data());
    return counts;
}

} // namespace

int sampleCount(int multisampleType)
{
    if (multisampleType != 1)
        return std::max(multisampleType, 0);
    // Non-maskable multisampling is the smallest real multisampling the driver offers.
    const std::vector<GLint> counts = supportedSampleCounts(GL_RGBA8);
    const auto smallest = std::min_element(counts.begin(), counts.end());
    return smallest != counts.end() ? *smallest : 0;
}

bool checkMultiSampleType(Format format, int multisampleType)
{
    const GlFormat* layout = glFormat(format);
    if (layout == nullptr || multisampleType < 0 || multisampleType > 16)
        return false;
    const int samples = sampleCount(multisampleType);
    if (samples == 0)
        return multisampleType == 0;
    const std::vector<GLint> counts = supportedSampleCounts(layout->internalFormat);
    return std::find(counts.begin(), counts.end(), samples) != counts.end();
}

bool Device::createBackBuffer(const PresentParameters& parameters, std::string* error)
{
    const auto refuse = [error](const std::string& reason) {
        if (error != nullptr)
            *error = reason;
        return false;
    };
    GLint renderbufferSize = 0, textureSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferSize);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureSize);
    const GLint maxSize = std::min(renderbufferSize, textureSize);
    if (parameters.width <= 0 || parameters.height <= 0 || parameters.width > maxSize ||
        parameters.height > maxSize)
        return refuse("invalid back buffer size " + std::to_string(parameters.width) + " x " +
                      std::to_string(parameters.height));
    if (!checkMultiSampleType(Format::A8R8G8B8, parameters.multisampleType) ||
        !checkMultiSampleType(Format::D24S8, parameters.multisampleType))
        return refuse("multisample type " + std::to_string(parameters.multisampleType) + " is not available");
    const int samples = sampleCount(parameters.multisampleType);

    const auto renderbuffer = [&](Format format) {
        GLuint name = 0;
        glCreateRenderbuffers(1, &name);
        glNamedRenderbufferStorageMultisample(name, samples, glFormat(format)->internalFormat,
                                              parameters.width, parameters.height);
        return std::unique_ptr<Surface>(
            new Surface(name, true, 0, parameters.width, parameters.height, format, samples, nullptr));
    };
    // A single-sampled back buffer is a texture, so that a backend can sample the finished frame
    // (a video's conversion) without first copying it, which waits for the rasteriser.
    const auto texture = [&](Format format) {
        GLuint name = 0;
        glCreateTextures(GL_TEXTURE_2D, 1, &name);
        glTextureStorage2D(name, 1, glFormat(format)->internalFormat, parameters.width, parameters.height);
        return std::unique_ptr<Surface>(
            new Surface(name, false, 0, parameters.width, parameters.height, format, 1, nullptr));
    };
    backBuffer_ = samples <= 1 ? texture(Format::A8R8G8B8) : renderbuffer(Format::A8R8G8B8);
    if (samples > 1)
        backBufferResolve_ = texture(Format::A8R8G8B8);
    autoDepthStencil_ = renderbuffer(Format::D24S8);
    renderTargets_[0] = backBuffer_.get();
    depthStencil_ = autoDepthStencil_.get();
    return true;
}

bool Device::setRenderTarget(std::uint32_t index, Surface* surface)
{
    flushDraws();
    if (index >= renderTargets_.size() || (index == 0 && surface == nullptr) ||
        (surface != nullptr && glFormat(surface->format())->depth))
        return false;
    renderTargets_[index] = surface;
    if (index == 0)
        state_.scissorRect = {0, 0, surface->width(), surface->height()};
    return true;
}

void Device::setDepthStencilSurface(Surface* surface)
{
    flushDraws();
    depthStencil_ = surface;
}

Surface* Device::renderTarget(std::uint32_t index) const
{
    return index < renderTargets_.size() ? renderTargets_[index] : nullptr;
}

GLuint Device::framebufferFor(const Attachments& attachments)
{
    const auto found = framebuffers_.find(attachments);
    if (found != framebuffers_.end())
        return found->second;
    countWork(Work::TargetCombination);
    GLuint framebuffer = 0;
    glCreateFramebuffers(1, &framebuffer);
    GLenum drawBuffers[4] = {GL_NONE, GL_NONE, GL_NONE, GL_NONE};
    for (GLuint index = 0; index < 4; ++index) {
        const Surface* surface = attachments[index];
        if (surface == nullptr)
            continue;
        drawBuffers[index] = GL_COLOR_ATTACHMENT0 + index;
        attach(framebuffer, drawBuffers[index], surface->name_, surface->renderbuffer_, surface->level_);
    }
    if (const Surface* depth = attachments[4]) {
        const GLenum point = hasStencil(depth->format()) ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
        attach(framebuffer, point, depth->name_, depth->renderbuffer_, depth->level_);
    }
    glNamedFramebufferDrawBuffers(framebuffer, 4, drawBuffers);
    glNamedFramebufferReadBuffer(framebuffer, attachments[0] != nullptr ? GL_COLOR_ATTACHMENT0 : GL_NONE);
    // Mismatched sample counts cannot be drawn into; the pairing is remembered as unusable.
    if (glCheckNamedFramebufferStatus(framebuffer, GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glDeleteFramebuffers(1, &framebuffer);
        framebuffer = 0;
    }
    framebuffers_.emplace(attachments, framebuffer);
    return framebuffer;
}

bool Device::bindTargets()
{
    const Surface* target = renderTargets_[0];
    const GLuint framebuffer = framebufferFor(
        {renderTargets_[0], renderTargets_[1], renderTargets_[2], renderTargets_[3], depthStencil_});
    if (framebuffer == 0)
        return false;
    if (framebuffer != boundFramebuffer_) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
        boundFramebuffer_ = framebuffer;
    }
    if (target->width() != viewportWidth_ || target->height() != viewportHeight_) {
        viewportWidth_ = target->width();
        viewportHeight_ = target->height();
        glViewport(0, 0, viewportWidth_, viewportHeight_);
        ++transformGeneration_; // pre-transformed vertices are placed by the viewport's size
    }
    return true;
}

void Device::followFrame()
{
    if (!backBufferResolve_)
        return;
    if (renderTargets_[0] == backBufferResolve_.get()) {
        holding(backBuffer_.get()); // a colour cleared to is the stand-in's to draw over
        frameIn_ = FrameIn::StandIn;
        return;
    }
    const GLint index = targetIndex(backBuffer_.get());
    if (frameIn_ == FrameIn::Samples || index < 0)
        return;
    if (frameIn_ == FrameIn::StandIn) {
        blit(backBufferResolve_.get(), backBuffer_.get(), GL_NEAREST);
    } else {
        // Cleared through the bound framebuffer, where the rasteriser folds it into the draw's start.
        glClearNamedFramebufferfv(boundFramebuffer_, GL_COLOR, index, frameColour_.data());
    }
    frameIn_ = FrameIn::Samples;
}

Surface* Device::holding(Surface* surface)
{
    if (surface != backBuffer_.get() || frameIn_ == FrameIn::Samples)
        return surface;
    if (frameIn_ == FrameIn::Colour) {
        glClearNamedFramebufferfv(framebufferOf(backBufferResolve_.get()), GL_COLOR, 0, frameColour_.data());
        frameIn_ = FrameIn::StandIn;
    }
    return backBufferResolve_.get();
}

GLuint Device::resolved(Surface* surface)
{
    surface = holding(surface);
    const GLuint framebuffer = framebufferOf(surface);
    if (surface->samples() <= 1 || framebuffer == 0)
        return framebuffer;
    // Only the back buffer has samples.
    blit(surface, backBufferResolve_.get(), GL_NEAREST);
    return framebufferOf(backBufferResolve_.get());
}

bool Device::blit(Surface* source, Surface* destination, GLenum filter)
{
    const GLuint from = framebufferOf(source);
    const GLuint to = framebufferOf(destination);
    if (from == 0 || to == 0)
        return false;
    glBlitNamedFramebuffer(from, to, 0, 0, source->width(), source->height(), 0, 0, destination->width(),
                           destination->height(), GL_COLOR_BUFFER_BIT, filter);
    return true;
}

bool Device::stretchRect(Surface* source, Surface* destination)
{
    flushDraws();
    if (source == nullptr || destination == nullptr || glFormat(source->format())->depth ||
        glFormat(destination->format())->depth)
        return false;
    source = holding(source);
    const bool sameSize =
        source->width() == destination->width() && source->height() == destination->height();
    if (sameSize && source->samples() <= 1 && destination->samples() <= 1 &&
        glFormat(source->format())->internalFormat == glFormat(destination->format())->internalFormat) {
        // Same texels either side: a copy, far cheaper than a filtered blit on a software rasteriser.
        glCopyImageSubData(source->name_, source->renderbuffer_ ? GL_RENDERBUFFER : GL_TEXTURE_2D,
                           source->level_, 0, 0, 0, destination->name_,
                           destination->renderbuffer_ ? GL_RENDERBUFFER : GL_TEXTURE_2D, destination->level_,
                           0, 0, 0, source->width(), source->height(), 1);
        return true;
    }
    // A multisampled source resolves in the same blit when the sizes agree.
    if (!sameSize && source->samples() > 1) {
        resolved(source);
        source = backBufferResolve_.get();
    }
    return blit(source, destination, GL_LINEAR);
}

bool Device::exchange(Surface* first, Surface* second)
{
    const auto exchangeable = [](const Surface* surface) {
        return surface != nullptr && !surface->renderbuffer_ && surface->level_ == 0 &&
               surface->samples_ <= 1 && !glFormat(surface->format_)->depth &&
               (surface->texture_ == nullptr || surface->texture_->levels() == 1);
    };
    if (!exchangeable(first) || !exchangeable(second) || first == second || first->width_ != second->width_ ||
        first->height_ != second->height_ || first->format_ != second->format_)
        return false;
    flushDraws();
    std::swap(first->name_, second->name_);
    for (Surface* surface : {first, second}) {
        if (surface->texture_ != nullptr)
            surface->texture_->name_ = surface->name_;
    }
    for (std::uint32_t stage = 0; stage < SamplerCount; ++stage) {
        const BaseTexture* bound = state_.textures[stage];
        if (bound != nullptr && (bound == first->texture_ || bound == second->texture_))
            texturesDirty_ |= 1u << stage;
    }
    for (const auto& [attachments, framebuffer] : framebuffers_) {
        for (GLuint index = 0; index < 4 && framebuffer != 0; ++index) {
            const Surface* surface = attachments[index];
            if (surface == first || surface == second)
                attach(framebuffer, GL_COLOR_ATTACHMENT0 + index, surface->name_, false, 0);
        }
    }
    return true;
}

std::vector<Color> Device::readPixels(Surface* surface)
{
    flushDraws();
    if (surface == nullptr || glFormat(surface->format())->depth)
        return {};
    const GLuint framebuffer = resolved(surface);
    if (framebuffer == 0)
        return {};
    std::vector<Color> pixels(static_cast<std::size_t>(surface->width()) *
                              static_cast<std::size_t>(surface->height()));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadnPixels(0, 0, surface->width(), surface->height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  static_cast<GLsizei>(pixels.size() * sizeof(Color)), pixels.data());
    return pixels;
}

void Device::clear(std::uint32_t flags, Color color, float z, std::uint32_t stencil)
{
    flushDraws();
    if (!bindTargets())
        return;
    const std::array<GLfloat, 4> rgba = {
        static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
        static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f};
    // A multisampled back buffer's colour is cleared only when something draws into it or shows it.
    const Surface* deferred = nullptr;
    if (backBufferResolve_ && renderTargets_[0] == backBufferResolve_.get())
        frameIn_ = FrameIn::StandIn;
    else if (backBufferResolve_ && (flags & ClearFlag::Target) && targetIndex(backBuffer_.get()) >= 0) {
        frameIn_ = FrameIn::Colour;
        frameColour_ = rgba;
        deferred = backBuffer_.get();
    }
    for (GLint index = 0; index < 4 && (flags & ClearFlag::Target); ++index) {
        const Surface* target = renderTargets_[static_cast<std::size_t>(index)];
        if (target != nullptr && target != deferred)
            glClearNamedFramebufferfv(boundFramebuffer_, GL_COLOR, index, rgba.data());
    }
    if (depthStencil_ == nullptr)
        return;
    const bool depth = (flags & ClearFlag::ZBuffer) != 0;
    const bool stencilToo = (flags & ClearFlag::Stencil) != 0 && hasStencil(depthStencil_->format());
    const GLint stencilValue = static_cast<GLint>(stencil);
    glDepthMask(GL_TRUE); // clearing ignores the depth-write state in Direct3D
    if (depth && stencilToo)
        glClearNamedFramebufferfi(boundFramebuffer_, GL_DEPTH_STENCIL, 0, z, stencilValue);
    else if (depth)
        glClearNamedFramebufferfv(boundFramebuffer_, GL_DEPTH, 0, &z);
    else if (stencilToo)
        glClearNamedFramebufferiv(boundFramebuffer_, GL_STENCIL, 0, &stencilValue);
    glDepthMask(state_.renderStates[static_cast<std::uint32_t>(RenderState::ZWriteEnable)] != 0 ? GL_TRUE
                                                                                                : GL_FALSE);
}

void Device::present()
{
    flushDraws();
    const GLuint framebuffer = resolved(backBuffer_.get());
    if (framebuffer != 0)
        backend_->present(framebuffer, backBuffer_->width(), backBuffer_->height());
}

void Device::forget(BaseTexture* texture)
{
    flushDraws();
    textures_.erase(texture);
    const auto ownedBy = [texture](const Surface* surface) {
        return surface != nullptr && surface->texture() == texture;
    };
    for (std::uint32_t stage = 0; stage < SamplerCount; ++stage) {
        if (state_.textures[stage] == texture) {
            state_.textures[stage] = nullptr;
            texturesDirty_ |= 1u << stage;
        }
    }
    for (StateBlock* block : stateBlocks_)
        std::replace(block->state_.textures.begin(), block->state_.textures.end(), texture,
                     static_cast<BaseTexture*>(nullptr));
    if (ownedBy(renderTargets_[0]))
        renderTargets_[0] = backBuffer_.get();
    for (std::size_t index = 1; index < renderTargets_.size(); ++index) {
        if (ownedBy(renderTargets_[index]))
            renderTargets_[index] = nullptr;
    }
    if (ownedBy(depthStencil_))
        depthStencil_ = nullptr;
    std::erase_if(framebuffers_, [&](const auto& entry) {
        if (std::none_of(entry.first.begin(), entry.first.end(), ownedBy))
            return false;
        if (entry.second == boundFramebuffer_)
            boundFramebuffer_ = 0;
        glDeleteFramebuffers(1, &entry.second);
        return true;
    });
}

} // namespace orb::gfx
