#include "platform/gfx/PlanarReadback.h"

#include "platform/gfx/DeviceState.h"
#include "platform/gfx/ShaderProgram.h"

namespace orb::gfx {

namespace {

constexpr GLuint PictureUnit = SamplerCount; // the first the device leaves alone

// A triangle over the whole target, however the device's vertex stages move it.
const char* const CoverSource = R"(#version 450 core
void main()
{
    gl_Position = vec4(gl_VertexID == 1 ? 6.0 : -2.0, gl_VertexID == 2 ? 6.0 : -2.0, 0.0, 1.0);
}
)";

// BT.709 in limited range. Past the frame's right edge (a row's padding) the edge repeats.
const char* const LumaSource = R"(#version 450 core
layout(binding = 16) uniform sampler2D picture;
layout(location = 0) out vec4 luma;

float lumaAt(ivec2 at, int last)
{
    vec3 c = texelFetch(picture, ivec2(min(at.x, last), at.y), 0).rgb;
    return (16.0 + 219.0 * dot(c, vec3(0.2126, 0.7152, 0.0722))) / 255.0;
}

void main()
{
    ivec2 at = ivec2(gl_FragCoord.xy) * ivec2(4, 1);
    int last = textureSize(picture, 0).x - 1;
    luma = vec4(lumaAt(at, last), lumaAt(at + ivec2(1, 0), last), lumaAt(at + ivec2(2, 0), last),
                lumaAt(at + ivec2(3, 0), last));
}
)";

// The colour of each 2 x 2 block is its mean: one filtered read at its middle.
const char* const DifferenceSource = R"(#version 450 core
layout(binding = 16) uniform sampler2D picture;
layout(location = 0) out vec4 blue;
layout(location = 1) out vec4 red;

void main()
{
    vec2 size = vec2(textureSize(picture, 0));
    vec2 first = 2.0 * (vec2(4.0, 1.0) * floor(gl_FragCoord.xy)) + 1.0;
    for (int i = 0; i < 4; ++i) {
        vec3 c = textureLod(picture, (first + vec2(2 * i, 0)) / size, 0.0).rgb;
        float y = dot(c, vec3(0.2126, 0.7152, 0.0722));
        blue[i] = (128.0 + 224.0 * (c.b - y) / 1.8556) / 255.0;
        red[i] = (128.0 + 224.0 * (c.r - y) / 1.5748) / 255.0;
    }
}
)";

// The state the passes change, as the device left it, and put back when they are queued.
class SavedState
{
public:
    SavedState()
    {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
        glGetIntegerv(GL_VIEWPORT, viewport_);
        glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
        glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer_);
        glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment_);
        for (std::size_t i = 0; i < Switches.size(); ++i)
            enabled_[i] = glIsEnabled(Switches[i]);
        for (const GLenum which : Switches)
            glDisable(which);
    }

    ~SavedState()
    {
        for (std::size_t i = 0; i < Switches.size(); ++i)
            enabled_[i] == GL_TRUE ? glEnable(Switches[i]) : glDisable(Switches[i]);
        glPixelStorei(GL_PACK_ALIGNMENT, packAlignment_);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer_));
        glBindVertexArray(static_cast<GLuint>(vertexArray_));
        glUseProgram(static_cast<GLuint>(program_));
        glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
    }

    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

private:
    // What would change the passes' fragments; off while they run.
    static constexpr std::array<GLenum, 5> Switches = {GL_BLEND, GL_CULL_FACE, GL_DEPTH_TEST, GL_SCISSOR_TEST,
                                                       GL_RASTERIZER_DISCARD};

    GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, program_ = 0, vertexArray_ = 0, packBuffer_ = 0;
    GLint packAlignment_ = 4;
    GLint viewport_[4] = {};
    std::array<GLboolean, Switches.size()> enabled_{};
};

} // namespace

// A framebuffer drawing into `count` textures of `format`, all `width` x `height`.
void PlanarReadback::makeTarget(Target& target, GLenum format, int width, int height, int count)
{
    glCreateFramebuffers(1, &target.framebuffer);
    glCreateTextures(GL_TEXTURE_2D, count, target.textures.data());
    for (int i = 0; i < count; ++i) {
        glTextureStorage2D(target.textures[static_cast<std::size_t>(i)], 1, format, width, height);
        glNamedFramebufferTexture(target.framebuffer, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i),
                                  target.textures[static_cast<std::size_t>(i)], 0);
    }
    const GLenum both[2] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
    glNamedFramebufferDrawBuffers(target.framebuffer, count, both);
}

void PlanarReadback::releaseTarget(Target& target)
{
    glDeleteFramebuffers(1, &target.framebuffer);
    glDeleteTextures(static_cast<GLsizei>(target.textures.size()), target.textures.data());
    target = {};
}

PlanarReadback::PlanarReadback() = default;

PlanarReadback::~PlanarReadback()
{
    release();
}

void PlanarReadback::release()
{
    for (std::size_t index = 0; index < buffers_.size(); ++index)
        unmap(index);
    glDeleteBuffers(static_cast<GLsizei>(buffers_.size()), buffers_.data());
    buffers_ = {};
    for (Target* target : {&luma_, &differences_})
        releaseTarget(*target);
    glDeleteSamplers(1, &sampler_);
    glDeleteVertexArrays(1, &vertexArray_);
    sampler_ = vertexArray_ = 0;
    lumaPass_.reset();
    differencePass_.reset();
    planes_.reset();
    width_ = height_ = 0;
}

bool PlanarReadback::prepare(int width, int height)
{
    if (width == width_ && height == height_ && planes_)
        return true;
    release();
    if (width % 2 != 0 || height % 2 != 0)
        return false;
    lumaPass_ = ShaderProgram::link(CoverSource, LumaSource, nullptr, lifetime_);
    differencePass_ = ShaderProgram::link(CoverSource, DifferenceSource, nullptr, lifetime_);
    if (!lumaPass_ || !differencePass_)
        return false;
    width_ = width;
    height_ = height;
    planes_.emplace(width, height);
    makeTarget(luma_, GL_RGBA8, planes_->lumaRow / 4, height, 1);
    makeTarget(differences_, GL_RGBA8, planes_->differenceRow / 4, height / 2, 2);
    // The device's vertex stages move vertices by a part of a pixel of the target they draw to.
    glProgramUniform2f(lumaPass_->name(), lumaPass_->uniformLocation("orb_ViewportSize"),
                       static_cast<float>(planes_->lumaRow / 4), static_cast<float>(height));
    glProgramUniform2f(differencePass_->name(), differencePass_->uniformLocation("orb_ViewportSize"),
                       static_cast<float>(planes_->differenceRow / 4), static_cast<float>(height / 2));
    glCreateSamplers(1, &sampler_);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glCreateVertexArrays(1, &vertexArray_);
    glCreateBuffers(static_cast<GLsizei>(buffers_.size()), buffers_.data());
    for (const GLuint buffer : buffers_)
        glNamedBufferStorage(buffer, static_cast<GLsizeiptr>(planes_->size), nullptr,
                             GL_MAP_READ_BIT | GL_CLIENT_STORAGE_BIT);
    return true;
}

void PlanarReadback::unmap(std::size_t index)
{
    if (mapped_[index] != nullptr)
        glUnmapNamedBuffer(buffers_[index]);
    mapped_[index] = nullptr;
}

std::size_t PlanarReadback::queue(GLuint framebuffer, int width, int height)
{
    const std::size_t index = next_;
    next_ = (next_ + 1) % buffers_.size();
    read_[index] = false;
    const GLuint picture = frameTexture(framebuffer);
    if (picture == 0 || !prepare(width, height))
        return index;
    unmap(index);
    const SavedState saved;
    convert(picture);
    read(index);
    read_[index] = true;
    return index;
}

// The texture the frame was drawn into, sampled where it is: copying it out first would wait for
// the rasteriser to finish it. 0 when it is not a texture.
GLuint PlanarReadback::frameTexture(GLuint framebuffer)
{
    GLint type = GL_NONE, name = 0;
    glGetNamedFramebufferAttachmentParameteriv(framebuffer, GL_COLOR_ATTACHMENT0,
                                               GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type != GL_TEXTURE)
        return 0;
    glGetNamedFramebufferAttachmentParameteriv(framebuffer, GL_COLOR_ATTACHMENT0,
                                               GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
    return static_cast<GLuint>(name);
}

void PlanarReadback::convert(GLuint picture)
{
    glBindVertexArray(vertexArray_);
    glBindTextureUnit(PictureUnit, picture);
    glBindSampler(PictureUnit, sampler_);
    const auto pass = [](const Target& target, const ShaderProgram& program, int width, int height) {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer);
        glViewport(0, 0, width, height);
        glUseProgram(program.name());
        glDrawArrays(GL_TRIANGLES, 0, 3);
    };
    pass(luma_, *lumaPass_, planes_->lumaRow / 4, height_);
    pass(differences_, *differencePass_, planes_->differenceRow / 4, height_ / 2);
    // Unbound, so that the frame's texture may be drawn into again.
    glBindTextureUnit(PictureUnit, 0);
}

// The three planes into one pixel buffer, one after another.
void PlanarReadback::read(std::size_t index)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[index]);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    const auto plane = [](GLuint framebuffer, GLenum attachment, int row, int height, std::size_t at) {
        glNamedFramebufferReadBuffer(framebuffer, attachment);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadPixels(0, 0, row / 4, height, GL_RGBA, GL_UNSIGNED_BYTE, reinterpret_cast<void*>(at));
    };
    plane(luma_.framebuffer, GL_COLOR_ATTACHMENT0, planes_->lumaRow, height_, 0);
    plane(differences_.framebuffer, GL_COLOR_ATTACHMENT0, planes_->differenceRow, height_ / 2,
          planes_->blueAt);
    plane(differences_.framebuffer, GL_COLOR_ATTACHMENT1, planes_->differenceRow, height_ / 2,
          planes_->redAt);
}

const std::uint8_t* PlanarReadback::bytes(std::size_t index)
{
    if (index >= buffers_.size() || !read_[index])
        return nullptr;
    if (mapped_[index] == nullptr)
        mapped_[index] = static_cast<const std::uint8_t*>(glMapNamedBufferRange(
            buffers_[index], 0, static_cast<GLsizeiptr>(planes_->size), GL_MAP_READ_BIT));
    return mapped_[index];
}

} // namespace orb::gfx
