#include "platform/gfx/PlanarReadback.h"

#include "platform/gfx/DeviceState.h"

namespace orb::gfx {

namespace {

constexpr GLuint PictureUnit = SamplerCount; // the first the device leaves alone: 16 below
constexpr GLuint PlanesImageUnit = 0;        // the device uses no images
constexpr int GroupSize = 8;

// Each invocation writes one byte of the planes, laid out as the encoder takes them: the luma
// rows, then the blue and the red difference, each at half the size both ways, row after row
// through the image's rows. Colour is taken from the mean of each 2 x 2 block.
const char* const ConversionSource = R"(#version 450 core
layout(local_size_x = 8, local_size_y = 8) in;
layout(binding = 16) uniform sampler2D picture;
layout(r8, binding = 0) writeonly uniform image2D planes;

float luma(vec3 c) { return dot(c, vec3(0.2126, 0.7152, 0.0722)); }

void main()
{
    ivec2 at = ivec2(gl_GlobalInvocationID.xy);
    ivec2 size = textureSize(picture, 0);
    if (at.x >= size.x || at.y >= size.y + size.y / 2)
        return;
    float value;
    if (at.y < size.y) {
        value = 16.0 + 219.0 * luma(texelFetch(picture, at, 0).rgb);
    } else {
        int halfWidth = size.x / 2;
        int index = (at.y - size.y) * size.x + at.x;
        int quarter = halfWidth * (size.y / 2);
        bool red = index >= quarter;
        int i = red ? index - quarter : index;
        ivec2 p = 2 * ivec2(i % halfWidth, i / halfWidth);
        vec3 c = 0.25 * (texelFetch(picture, p, 0).rgb + texelFetch(picture, p + ivec2(1, 0), 0).rgb +
                         texelFetch(picture, p + ivec2(0, 1), 0).rgb + texelFetch(picture, p + ivec2(1, 1), 0).rgb);
        float y = luma(c);
        value = 128.0 + 224.0 * (red ? (c.r - y) / 1.5748 : (c.b - y) / 1.8556);
    }
    imageStore(planes, at, vec4(value / 255.0));
}
)";

GLuint conversionProgram()
{
    const GLuint shader = glCreateShader(GL_COMPUTE_SHADER);
    glShaderSource(shader, 1, &ConversionSource, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    const GLuint program = compiled == GL_TRUE ? glCreateProgram() : 0;
    if (program != 0) {
        glAttachShader(program, shader);
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            glDeleteProgram(program);
            glDeleteShader(shader);
            return 0;
        }
    }
    glDeleteShader(shader);
    return program;
}

} // namespace

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
    glDeleteFramebuffers(1, &pictureFramebuffer_);
    glDeleteTextures(1, &picture_);
    glDeleteTextures(1, &planes_);
    glDeleteProgram(program_);
    pictureFramebuffer_ = picture_ = planes_ = program_ = 0;
    width_ = height_ = 0;
}

bool PlanarReadback::prepare(int width, int height)
{
    if (width == width_ && height == height_ && program_ != 0)
        return true;
    release();
    program_ = conversionProgram();
    if (program_ == 0)
        return false;
    width_ = width;
    height_ = height;
    glCreateTextures(GL_TEXTURE_2D, 1, &picture_);
    glTextureStorage2D(picture_, 1, GL_RGBA8, width, height);
    glCreateFramebuffers(1, &pictureFramebuffer_);
    glNamedFramebufferTexture(pictureFramebuffer_, GL_COLOR_ATTACHMENT0, picture_, 0);
    glCreateTextures(GL_TEXTURE_2D, 1, &planes_);
    glTextureStorage2D(planes_, 1, GL_R8, width, height + height / 2);
    glCreateBuffers(static_cast<GLsizei>(buffers_.size()), buffers_.data());
    for (const GLuint buffer : buffers_)
        glNamedBufferStorage(buffer, static_cast<GLsizeiptr>(planesSize(width, height)), nullptr,
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
    if (!prepare(width, height))
        return index;
    unmap(index);
    // A blit is scissored like a draw.
    const GLboolean scissored = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    glBlitNamedFramebuffer(framebuffer, pictureFramebuffer_, 0, 0, width, height, 0, 0, width, height,
                           GL_COLOR_BUFFER_BIT, GL_NEAREST);
    if (scissored == GL_TRUE)
        glEnable(GL_SCISSOR_TEST);

    GLint program = 0, packBuffer = 0, packAlignment = 4;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glUseProgram(program_);
    glBindTextureUnit(PictureUnit, picture_);
    glBindImageTexture(PlanesImageUnit, planes_, 0, GL_FALSE, 0, GL_WRITE_ONLY, GL_R8);
    glDispatchCompute(static_cast<GLuint>((width + GroupSize - 1) / GroupSize),
                      static_cast<GLuint>((height + height / 2 + GroupSize - 1) / GroupSize), 1);
    glMemoryBarrier(GL_TEXTURE_UPDATE_BARRIER_BIT);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[index]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureImage(planes_, 0, GL_RED, GL_UNSIGNED_BYTE, static_cast<GLsizei>(planesSize(width, height)),
                      nullptr);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(packBuffer));
    glBindTextureUnit(PictureUnit, 0);
    glUseProgram(static_cast<GLuint>(program));
    return index;
}

const std::uint8_t* PlanarReadback::bytes(std::size_t index)
{
    if (index >= buffers_.size() || buffers_[index] == 0)
        return nullptr;
    if (mapped_[index] == nullptr)
        mapped_[index] = static_cast<const std::uint8_t*>(glMapNamedBufferRange(
            buffers_[index], 0, static_cast<GLsizeiptr>(planesSize(width_, height_)), GL_MAP_READ_BIT));
    return mapped_[index];
}

} // namespace orb::gfx
