// The post-processing chain at 1280 x 720 (target: 4 ms or less per call, and at most 1.1 times
// the same passes in bare GL, measured beside it) and the first call of noiseTexture, which fills
// the 64^3 volume (target: 60 ms or less).

#include "BareGl.h"
#include "BenchGraphics.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using namespace orb;
using bench::Graphics;

// The chain's passes in bare GL: the same targets, the same stages from the production's effect
// files (the device's vertex stage for pre-transformed vertices where an effect has none), the
// same triangle from a buffer made once; only the GL calls each pass needs, nothing saved or
// restored. As it was, the frame is copied into "Screen" and the compositor works out its values
// for every pixel; as it is, the frame and "Screen" change places and the compositor's vertex
// stage works them out.
class BareChain
{
public:
    enum class Form
    {
        AsItWas,
        AsItIs
    };

    BareChain(gfx::Device& device, int width, int height, Form form)
        : device_(device), width_(width), height_(height), form_(form)
    {
        backBuffer_ = form == Form::AsItWas ? backBufferTarget(width, height) : target(width, height, false);
        screen_ = target(width, height, true);
        blur1_ = target(width / 4, height / 4, false);
        blur2_ = target(width / 4, height / 4, false);
        downsample_ = program("Downsample4x4");
        blur_ = program("GaussianBlur");
        compositor_ = form == Form::AsItWas
                          ? bench::linkEffectFilePass(device, std::filesystem::path(ORB_SOURCE_DIR) /
                                                                  "bench" / "data" / "ComposePerPixel.fx")
                          : program("Compositor");
        // The chain's triangle, in full-size pixels, also for the quarter-size targets.
        const float w = static_cast<float>(width), h = static_cast<float>(height);
        const float triangle[18] = {-0.5f, -0.5f,        0, 0, 0, 0, 2 * w - 0.5f, -0.5f, 0, 0, 2, 0,
                                    -0.5f, 2 * h - 0.5f, 0, 0, 0, 2};
        glCreateBuffers(1, &vertexBuffer_);
        glNamedBufferStorage(vertexBuffer_, sizeof triangle, triangle, 0);
        vertexArray_ = bench::pretransformedVertexArray();
        glVertexArrayVertexBuffer(vertexArray_, 0, vertexBuffer_, 0, 24);
        glCreateSamplers(1, &sampler_);
        glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }

    ~BareChain()
    {
        for (const Target& each : {backBuffer_, screen_, blur1_, blur2_}) {
            glDeleteFramebuffers(1, &each.framebuffer);
            if (each.colourInRenderbuffer)
                glDeleteRenderbuffers(1, &each.colour);
            else
                glDeleteTextures(1, &each.colour);
            glDeleteRenderbuffers(1, &each.depth);
        }
        glDeleteVertexArrays(1, &vertexArray_);
        glDeleteBuffers(1, &vertexBuffer_);
        glDeleteSamplers(1, &sampler_);
    }

    bool ready() const { return downsample_ && blur_ && compositor_; }

    void clear()
    {
        const float colour[4] = {0.2f, 0.4f, 0.6f, 1.0f}; // the engine run's 0xFF336699
        glClearNamedFramebufferfv(backBuffer_.framebuffer, GL_COLOR, 0, colour);
    }

    std::uint32_t centrePixel() const { return bench::centrePixel(backBuffer_.framebuffer, width_, height_); }

    void run()
    {
        // The device's copy of equal surfaces; a blit costs far more on a software rasteriser.
        if (form_ == Form::AsItWas)
            glCopyImageSubData(backBuffer_.colour, GL_RENDERBUFFER, 0, 0, 0, 0, screen_.colour, GL_TEXTURE_2D,
                               0, 0, 0, 0, width_, height_, 1);
        else
            exchangeFrameAndScreen();
        glBindVertexArray(vertexArray_);
        glBindSampler(0, sampler_);
        glBindSampler(1, sampler_);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        const auto vectors = postProcessVectors(width_, height_, 0.2f);
        pass(*downsample_, vectors.d1.data(), screen_.colour, 0, blur1_);
        pass(*blur_, vectors.d2.data(), blur1_.colour, 0, blur2_);
        pass(*blur_, vectors.d3.data(), blur2_.colour, 0, blur1_);
        pass(*compositor_, Compositor.data(), screen_.colour, blur1_.colour, backBuffer_);
    }

private:
    struct Target
    {
        GLuint framebuffer, colour, depth;
        int width, height;
        bool colourInRenderbuffer;
    };

    // As the device's exchange does: each framebuffer keeps its place and takes the other texture.
    void exchangeFrameAndScreen()
    {
        std::swap(backBuffer_.colour, screen_.colour);
        glNamedFramebufferTexture(backBuffer_.framebuffer, GL_COLOR_ATTACHMENT0, backBuffer_.colour, 0);
        glNamedFramebufferTexture(screen_.framebuffer, GL_COLOR_ATTACHMENT0, screen_.colour, 0);
    }

    static constexpr std::array<float, 4> Compositor = {1, 3, 0, 0.01f};

    // Like the device's: colour and depth in renderbuffers.
    static Target backBufferTarget(int width, int height)
    {
        Target made{0, 0, 0, width, height, true};
        glCreateFramebuffers(1, &made.framebuffer);
        glCreateRenderbuffers(1, &made.colour);
        glNamedRenderbufferStorage(made.colour, GL_RGBA8, width, height);
        glNamedFramebufferRenderbuffer(made.framebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, made.colour);
        glCreateRenderbuffers(1, &made.depth);
        glNamedRenderbufferStorage(made.depth, GL_DEPTH24_STENCIL8, width, height);
        glNamedFramebufferRenderbuffer(made.framebuffer, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                       made.depth);
        return made;
    }

    static Target target(int width, int height, bool withDepth)
    {
        Target made{0, 0, 0, width, height, false};
        glCreateFramebuffers(1, &made.framebuffer);
        glCreateTextures(GL_TEXTURE_2D, 1, &made.colour);
        glTextureStorage2D(made.colour, 1, GL_RGBA8, width, height);
        glNamedFramebufferTexture(made.framebuffer, GL_COLOR_ATTACHMENT0, made.colour, 0);
        if (withDepth) {
            glCreateRenderbuffers(1, &made.depth);
            glNamedRenderbufferStorage(made.depth, GL_DEPTH24_STENCIL8, width, height);
            glNamedFramebufferRenderbuffer(made.framebuffer, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                           made.depth);
        }
        return made;
    }

    std::unique_ptr<gfx::ShaderProgram> program(const std::string& effectName) const
    {
        return bench::linkEffectPass(device_, effectName);
    }

    void pass(const gfx::ShaderProgram& program, const float* d, GLuint stage0, GLuint stage1,
              const Target& to)
    {
        glUseProgram(program.name());
        glUniform4fv(program.uniformLocation("d"), 1, d);
        glUniform4fv(program.uniformLocation("c"), 1, Plain.data());
        glUniform2f(program.uniformLocation("orb_ViewportSize"), static_cast<float>(to.width),
                    static_cast<float>(to.height));
        glBindTextureUnit(0, stage0);
        glBindTextureUnit(1, stage1);
        glBindFramebuffer(GL_FRAMEBUFFER, to.framebuffer);
        glViewport(0, 0, to.width, to.height);
        glDrawArrays(GL_TRIANGLES, 0, 3);
    }

    static constexpr std::array<float, 4> Plain = {1, 1, 1, 1};

    gfx::Device& device_;
    int width_, height_;
    Form form_;
    Target backBuffer_{}, screen_{}, blur1_{}, blur2_{};
    std::unique_ptr<gfx::ShaderProgram> downsample_, blur_, compositor_;
    GLuint vertexBuffer_ = 0, vertexArray_ = 0, sampler_ = 0;
};

// Both chains must end on the same picture, or their times mean nothing: each shows its centre.
void reportCentre(benchmark::State& state, std::uint32_t pixel)
{
    state.counters["centre"] = pixel;
}

// A frame budget is about the slow frames, not the mean: each repetition also reports the median,
// the 95th percentile and the worst of its calls but the first, in which llvmpipe compiles its
// code for the chain's draws.
class CallTimes
{
public:
    template <typename Call>
    void time(Call call)
    {
        const auto start = std::chrono::steady_clock::now();
        call();
        milliseconds_.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }

    void report(benchmark::State& state)
    {
        if (milliseconds_.size() < 2)
            return;
        milliseconds_.erase(milliseconds_.begin());
        std::sort(milliseconds_.begin(), milliseconds_.end());
        state.counters["median_ms"] = milliseconds_[milliseconds_.size() / 2];
        state.counters["p95_ms"] = milliseconds_[milliseconds_.size() * 95 / 100];
        state.counters["worst_ms"] = milliseconds_.back();
    }

private:
    std::vector<double> milliseconds_;
};

void PostProcess1280x720(benchmark::State& state)
{
    Graphics graphics(1280, 720);
    if (!graphics.started()) {
        state.SkipWithError("the graphics system did not start");
        return;
    }
    gfx::Device& device = *graphics.system().device();
    device.clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF336699, 1.0f, 0);
    CallTimes times;
    for (auto _ : state) {
        times.time([&graphics] {
            graphics.system().postProcess({0.2f, {1, 3, 0, 0.01f}, {1, 1, 1, 1}});
            glFinish();
        });
    }
    times.report(state);
    reportCentre(state, device.readPixels(device.backBuffer())[360 * 1280 + 640]);
}

void runBareChain(benchmark::State& state, BareChain::Form form)
{
    Graphics graphics(1280, 720); // for its GL context only
    if (!graphics.started()) {
        state.SkipWithError("the graphics system did not start");
        return;
    }
    BareChain chain(*graphics.system().device(), 1280, 720, form);
    if (!chain.ready()) {
        state.SkipWithError("the chain's effects did not compile");
        return;
    }
    chain.clear();
    CallTimes times;
    for (auto _ : state) {
        times.time([&chain] {
            chain.run();
            glFinish();
        });
    }
    times.report(state);
    reportCentre(state, chain.centrePixel());
}

// The engine's chain against these two: as it was, and as it is now.
void BareGlChainAsItWas1280x720(benchmark::State& state)
{
    runBareChain(state, BareChain::Form::AsItWas);
}

void BareGlChain1280x720(benchmark::State& state)
{
    runBareChain(state, BareChain::Form::AsItIs);
}

void FirstNoiseTexture(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto graphics = std::make_unique<Graphics>(64, 64);
        state.ResumeTiming();
        benchmark::DoNotOptimize(graphics->system().noiseTexture());
        glFinish();
        state.PauseTiming();
        graphics.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(PostProcess1280x720)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BareGlChainAsItWas1280x720)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BareGlChain1280x720)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(FirstNoiseTexture)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
