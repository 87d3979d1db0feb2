// The graphics device's CPU cost per draw from user memory with a state change between draws,
// against a bare GL loop doing the same work in the same run (target: at most 1.2 times), and a
// full-screen textured pass at 1280 x 720.

#include "BareGl.h"
#include "platform/gfx/Device.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <ctime>

namespace {

using namespace orb::gfx;

constexpr int DrawsPerBatch = 1000;

struct Vertex
{
    float x, y, z, rhw, u, v;
};

// A small triangle, a few pixels big, so that rasterising does not hide the API's cost.
constexpr Vertex Triangle[3] = {{1, 1, 0, 1, 0, 0}, {5, 1, 0, 1, 1, 0}, {1, 5, 0, 1, 0, 1}};

std::unique_ptr<Device> makeDevice(int width, int height)
{
    std::string error;
    return Device::create(createOffscreenBackend(&error), {width, height, 0}, &error);
}

// Both loops must really draw the triangle, or the comparison means nothing.
void checkDrawn(benchmark::State& state, Device& device)
{
    if (device.readPixels(device.backBuffer())[2 * 64 + 2] != 0xFFFFFFFF)
        state.SkipWithError("the triangle was not drawn");
}

void DeviceDrawWithStateChange(benchmark::State& state)
{
    auto device = makeDevice(64, 64);
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer, 0, 1.0f, 0);
    device->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    device->setRenderState(RenderState::AlphaBlendEnable, 1);
    for (auto _ : state) {
        for (int draw = 0; draw < DrawsPerBatch; ++draw) {
            device->setRenderState(RenderState::SrcBlend, draw % 2 == 0 ? Blend::One : Blend::SrcAlpha);
            device->drawPrimitiveUP(PrimitiveType::TriangleList, 1, Triangle, sizeof Triangle[0]);
        }
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * DrawsPerBatch);
    checkDrawn(state, *device);
}

constexpr const char* BareVertexShader = R"(#version 450 core
layout(location = 0) in vec4 position;
layout(location = 3) in vec2 texCoord;
uniform vec2 viewport;
out vec2 uv;
void main() {
    gl_Position = vec4((position.x + 0.5) / viewport.x * 2.0 - 1.0, 1.0 - (position.y + 0.5) / viewport.y * 2.0, 0, 1);
    uv = texCoord;
})";

// What the device's fixed stages compute for an untextured, colourless vertex: opaque white.

constexpr const char* BareFragmentShader = R"(#version 450 core
in vec2 uv;
out vec4 color;
void main() { color = vec4(1.0) + vec4(uv, 0.0, 0.0) * 0.0; })";

// The least GL that draws from user memory: copy into a mapped buffer, change the blend, draw;
// with the GL state the device's defaults give (depth test, culling), so that both do the same work.
void BareGlDrawWithStateChange(benchmark::State& state)
{
    auto device = makeDevice(64, 64); // for its context and back buffer only
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer, 0, 1.0f, 0);
    auto program = device->linkProgram(BareVertexShader, BareFragmentShader, nullptr);
    glUseProgram(program->name());
    glProgramUniform2f(program->name(), program->uniformLocation("viewport"), 64, 64);
    // Every program's vertex stage moves pixels to Direct3D's centres by this size.
    glProgramUniform2f(program->name(), program->uniformLocation("orb_ViewportSize"), 64, 64);
    constexpr GLsizeiptr Size = 4 << 20;
    constexpr GLbitfield Flags = GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT;
    GLuint buffer = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, Size, nullptr, Flags);
    auto* mapped = static_cast<unsigned char*>(glMapNamedBufferRange(buffer, 0, Size, Flags));
    const GLuint vertexArray = orb::bench::pretransformedVertexArray();
    glBindVertexArray(vertexArray);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    GLintptr offset = 0;
    for (auto _ : state) {
        for (int draw = 0; draw < DrawsPerBatch; ++draw) {
            glBlendFunc(draw % 2 == 0 ? GL_ONE : GL_SRC_ALPHA, GL_ZERO);
            std::memcpy(mapped + offset, Triangle, sizeof Triangle);
            glVertexArrayVertexBuffer(vertexArray, 0, buffer, offset, sizeof Triangle[0]);
            glDrawArrays(GL_TRIANGLES, 0, 3);
            offset = (offset + 80) % (Size - 80);
        }
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * DrawsPerBatch);
    checkDrawn(state, *device);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &buffer);
}

void FullScreenTexturedPass(benchmark::State& state)
{
    constexpr int Width = 1280, Height = 720;
    auto device = makeDevice(Width, Height);
    auto texture = device->createTexture(Width, Height, 1, 0, Format::A8R8G8B8, nullptr);
    std::vector<Color> pixels(std::size_t{Width} * Height, 0xFF336699);
    texture->update(0, pixels.data(), Width * 4);
    device->setTexture(0, texture.get());
    device->setSamplerState(0, SamplerState::MagFilter, TextureFilter::Linear);
    device->setSamplerState(0, SamplerState::MinFilter, TextureFilter::Linear);
    device->setFvf(Fvf::XyzRhw | Fvf::Tex1);
    const Vertex triangle[3] = {{-0.5f, -0.5f, 0, 0, 0, 0},
                                {2 * Width - 0.5f, -0.5f, 0, 0, 2, 0},
                                {-0.5f, 2 * Height - 0.5f, 0, 0, 0, 2}};
    for (auto _ : state) {
        device->drawPrimitiveUP(PrimitiveType::TriangleList, 1, triangle, sizeof triangle[0]);
        glFinish();
    }
}

// A presented 1280 x 720 frame read back as orb-render takes it: B, G, R, A pixels for PNG files
// (argument 0), or 4:2:0 planes for a video (1), each picture waited for. `processor_ms` counts
// the rasteriser's threads too.
void PresentAndReadBack(benchmark::State& state)
{
    constexpr int Width = 1280, Height = 720;
    const PixelLayout layout = state.range(0) == 0 ? PixelLayout::Bgra : PixelLayout::Planar420;
    std::size_t read = 0;
    std::string error;
    auto device = Device::create(
        createOffscreenBackend(
            &error, [&read](const FramePixels& frame) { read += frame.pixels() != nullptr; }, layout),
        {Width, Height, 0}, &error);
    device->clear(ClearFlag::Target | ClearFlag::ZBuffer, 0xFF336699, 1.0f, 0);
    timespec begun{}, ended{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &begun);
    for (auto _ : state)
        device->present();
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ended);
    state.counters["processor_ms"] =
        benchmark::Counter((static_cast<double>(ended.tv_sec - begun.tv_sec) * 1e3 +
                            static_cast<double>(ended.tv_nsec - begun.tv_nsec) * 1e-6) /
                           static_cast<double>(state.iterations()));
    if (read != static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("a frame was not read back");
}

BENCHMARK(DeviceDrawWithStateChange)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BareGlDrawWithStateChange)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(FullScreenTexturedPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(PresentAndReadBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
