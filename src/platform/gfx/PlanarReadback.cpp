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

// Each fragment converts a block of 4 x 2 pixels: eight luma samples, four above and four below,
// and the blue and the red difference of its two 2 x 2 halves, from their mean colour. BT.709 in
// limited range. Past the frame's right edge (a row's padding) the edge repeats.
const char* const ConversionSource = R"(#version 450 core
layout(binding = 16) uniform sampler2D picture;
layout(location = 0) out vec4 upperLuma;
layout(location = 1) out vec4 lowerLuma;
layout(location = 2) out vec2 blue;
layout(location = 3) out vec2 red;

const vec3 Luma = vec3(0.2126, 0.7152, 0.0722);

struct Half
{
    vec2 upper, lower;
    float blue, red;
};

vec3 colourAt(ivec2 at, int last)
{
    return texelFetch(picture, ivec2(min(at.x, last), at.y), 0).rgb;
}

float limited(vec3 c)
{
    return (16.0 + 219.0 * dot(c, Luma)) / 255.0;
}

Half halfBlock(ivec2 at, int last)
{
    vec3 a = colourAt(at, last), b = colourAt(at + ivec2(1, 0), last);
    vec3 c = colourAt(at + ivec2(0, 1), last), d = colourAt(at + ivec2(1, 1), last);
    vec3 mean = 0.25 * (a + b + c + d);
    float y = dot(mean, Luma);
    return Half(vec2(limited(a), limited(b)), vec2(limited(c), limited(d)),
                (128.0 + 224.0 * (mean.b - y) / 1.8556) / 255.0, (128.0 + 224.0 * (mean.r - y) / 1.5748) / 255.0);
}

void main()
{
    ivec2 at = ivec2(gl_FragCoord.xy) * ivec2(4, 2);
    int last = textureSize(picture, 0).x - 1;
    Half left = halfBlock(at, last), right = halfBlock(at + ivec2(2, 0), last);
    upperLuma = vec4(left.upper, right.upper);
    lowerLuma = vec4(left.lower, right.lower);
    blue = vec2(left.blue, right.blue);
    red = vec2(left.red, right.red);
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
        glGetIntegerv(GL_PACK_ROW_LENGTH, &packRowLength_);
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
        glPixelStorei(GL_PACK_ROW_LENGTH, packRowLength_);
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
    GLint packAlignment_ = 4, packRowLength_ = 0;
    GLint viewport_[4] = {};
    std::array<GLboolean, Switches.size()> enabled_{};
};

} // namespace

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
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteTextures(static_cast<GLsizei>(targets_.size()), targets_.data());
    framebuffer_ = 0;
    targets_ = {};
    glDeleteSamplers(1, &sampler_);
    glDeleteVertexArrays(1, &vertexArray_);
    sampler_ = vertexArray_ = 0;
    program_.reset();
    layout_.reset();
    width_ = height_ = 0;
}

bool PlanarReadback::prepare(int width, int height)
{
    if (width == width_ && height == height_ && layout_)
        return true;
    release();
    if (width % 2 != 0 || height % 2 != 0)
        return false;
    program_ = ShaderProgram::link(CoverSource, ConversionSource, nullptr, lifetime_);
    if (!program_)
        return false;
    width_ = width;
    height_ = height;
    layout_.emplace(width, height);
    // The luma's upper and lower rows of each block, then the blue and the red difference.
    glCreateFramebuffers(1, &framebuffer_);
    glCreateTextures(GL_TEXTURE_2D, static_cast<GLsizei>(targets_.size()), targets_.data());
    const GLenum formats[] = {GL_RGBA8, GL_RGBA8, GL_RG8, GL_RG8};
    std::array<GLenum, 4> attachments{};
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        glTextureStorage2D(targets_[i], 1, formats[i], blocks(), height / 2);
        attachments[i] = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i);
        glNamedFramebufferTexture(framebuffer_, attachments[i], targets_[i], 0);
    }
    glNamedFramebufferDrawBuffers(framebuffer_, static_cast<GLsizei>(attachments.size()), attachments.data());
    // The device's vertex stages move vertices by a part of a pixel of the target they draw to.
    glProgramUniform2f(program_->name(), program_->uniformLocation("orb_ViewportSize"),
                       static_cast<float>(blocks()), static_cast<float>(height / 2));
    // Without mipmaps the texture is complete only for a filter that needs none.
    glCreateSamplers(1, &sampler_);
    glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glCreateVertexArrays(1, &vertexArray_);
    glCreateBuffers(static_cast<GLsizei>(buffers_.size()), buffers_.data());
    for (const GLuint buffer : buffers_)
        glNamedBufferStorage(buffer, static_cast<GLsizeiptr>(layout_->size), nullptr,
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
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, blocks(), height_ / 2);
    glUseProgram(program_->name());
    glBindVertexArray(vertexArray_);
    glBindTextureUnit(PictureUnit, picture);
    glBindSampler(PictureUnit, sampler_);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    // Unbound, so that the frame's texture may be drawn into again.
    glBindTextureUnit(PictureUnit, 0);
}

// The planes into one pixel buffer, one after another; the luma's two targets row by row in turn.
void PlanarReadback::read(std::size_t index)
{
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[index]);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    const auto plane = [this](int target, GLenum format, std::size_t at) {
        glNamedFramebufferReadBuffer(framebuffer_, GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(target));
        glReadPixels(0, 0, blocks(), height_ / 2, format, GL_UNSIGNED_BYTE, reinterpret_cast<void*>(at));
    };
    glPixelStorei(GL_PACK_ROW_LENGTH, 2 * blocks());
    plane(0, GL_RGBA, 0);
    plane(1, GL_RGBA, static_cast<std::size_t>(layout_->lumaRow));
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    plane(2, GL_RG, layout_->blueAt);
    plane(3, GL_RG, layout_->redAt);
}

const std::uint8_t* PlanarReadback::bytes(std::size_t index)
{
    if (index >= buffers_.size() || !read_[index])
        return nullptr;
    if (mapped_[index] == nullptr)
        mapped_[index] = static_cast<const std::uint8_t*>(glMapNamedBufferRange(
            buffers_[index], 0, static_cast<GLsizeiptr>(layout_->size), GL_MAP_READ_BIT));
    return mapped_[index];
}

} // namespace orb::gfx
