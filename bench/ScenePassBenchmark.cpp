// Each shader scene's own full-screen pass at 1280 x 720, drawn by the engine (drawShaderPass: the
// effect's states, parameters and the noise volume through the device) beside the same fragment
// stage in bare GL (target: at most 1.1 times bare). Both draw with the same values into the back
// buffer and report its centre pixel as `centre`, which must agree.
//
//   build/bin/bench_scenepass --benchmark_repetitions=6 --benchmark_enable_random_interleaving=true

#include "BareGl.h"
#include "BenchGraphics.h"
#include "Operators/ShaderScene.h"

#include <benchmark/benchmark.h>
#include <map>
#include <string>

namespace {

using namespace orb;
using bench::Graphics;

constexpr int Width = 1280, Height = 720;
constexpr const char* Scenes[] = {"Scene2", "Scene4", "Scene5", "Scene6", "Scene7", "Scene8", "Scene9"};
constexpr const char* ReadsTheText = "Scene7"; // the "Text" target on stage 1, as its operator sets

gfx::BaseTexture* stage1(Graphics& graphics, const std::string& scene)
{
    RenderTarget* text = graphics.system().renderTarget("Text");
    return scene == ReadsTheText && text != nullptr ? text->colorTexture() : nullptr;
}

// Mid-scene values: two colours, a time of 10 s, the aspect; the effects read what they declare.
ShaderSceneParams sceneValues()
{
    ShaderSceneParams params;
    params.a = {0.3f, 0.2f, 0.1f, 0};
    params.b = {1, 1, 1, 0};
    params.c1 = Orange;
    params.c2 = Grey;
    params.c3 = {0.5f, 0.5f, 0.5f, 0};
    params.f = {10, 0.5f, 0.25f, 0};
    params.g = aspectVector(static_cast<float>(Width) / Height);
    params.invert = 0.0f;
    return params;
}

void EngineScenePass(benchmark::State& state, const std::string& scene)
{
    Graphics graphics(Width, Height);
    std::unique_ptr<fx::Effect> effect =
        graphics.started() ? graphics.system().createEffect(("Data\\" + scene + ".fx").c_str()) : nullptr;
    if (!effect) {
        state.SkipWithError("the effect did not start");
        return;
    }
    const ShaderSceneParams params = sceneValues();
    for (auto _ : state) {
        drawShaderPass(graphics.system(), *effect, params, stage1(graphics, scene));
        glFinish();
    }
    gfx::Device& device = *graphics.system().device();
    state.counters["centre"] = device.readPixels(device.backBuffer())[Height / 2 * Width + Width / 2];
}

// The same pass with only the GL calls it needs: the program, its uniforms by their declared
// size, the noise volume on a mirrored linear sampler (and the text where the scene reads it), one
// triangle from a buffer made once.
void BareScenePass(benchmark::State& state, const std::string& scene)
{
    Graphics graphics(Width, Height); // for its GL context, back buffer and noise volume
    gfx::Device& device = *graphics.system().device();
    const auto program = graphics.started() ? bench::linkEffectPass(device, scene) : nullptr;
    gfx::BaseTexture* noise = program ? graphics.system().noiseTexture() : nullptr;
    if (!noise) {
        state.SkipWithError("the pass did not link");
        return;
    }
    const ShaderSceneParams params = sceneValues();
    const std::map<std::string, const float*> values = {
        {"a", params.a.data()},   {"b", params.b.data()},     {"c1", params.c1.data()},
        {"c2", params.c2.data()}, {"c3", params.c3.data()},   {"f", params.f.data()},
        {"g", params.g.data()},   {"invert", &*params.invert}};
    glUseProgram(program->name());
    GLint uniforms = 0;
    glGetProgramiv(program->name(), GL_ACTIVE_UNIFORMS, &uniforms);
    for (GLint index = 0; index < uniforms; ++index) {
        char name[64];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program->name(), static_cast<GLuint>(index), sizeof name, nullptr, &size, &type,
                           name);
        const auto value = values.find(name);
        if (value == values.end())
            continue;
        const GLint location = glGetUniformLocation(program->name(), name);
        switch (type) {
        case GL_FLOAT:
            glUniform1fv(location, 1, value->second);
            break;
        case GL_FLOAT_VEC2:
            glUniform2fv(location, 1, value->second);
            break;
        case GL_FLOAT_VEC3:
            glUniform3fv(location, 1, value->second);
            break;
        case GL_FLOAT_VEC4:
            glUniform4fv(location, 1, value->second);
            break;
        default:
            break;
        }
    }
    glUniform2f(program->uniformLocation("orb_ViewportSize"), Width, Height);

    const float w = Width, h = Height;
    const float triangle[18] = {-0.5f, -0.5f,        1, 0, 0, 0, 2 * w - 0.5f, -0.5f, 1, 0, 2, 0,
                                -0.5f, 2 * h - 0.5f, 1, 0, 0, 2};
    GLuint buffer = 0, sampler = 0;
    glCreateBuffers(1, &buffer);
    glNamedBufferStorage(buffer, sizeof triangle, triangle, 0);
    const GLuint vertexArray = bench::pretransformedVertexArray();
    glVertexArrayVertexBuffer(vertexArray, 0, buffer, 0, 24);
    glCreateSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (const GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glSamplerParameteri(sampler, axis, GL_MIRRORED_REPEAT);
    glBindVertexArray(vertexArray);
    glBindSampler(0, sampler);
    glBindTextureUnit(0, noise->name());
    GLuint textSampler = 0;
    if (gfx::BaseTexture* text = stage1(graphics, scene)) {
        glCreateSamplers(1, &textSampler);
        glSamplerParameteri(textSampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(textSampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glBindSampler(1, textSampler);
        glBindTextureUnit(1, text->name());
    }
    GLuint framebuffer = 0, colour = 0; // a back buffer as the device's: colour in a renderbuffer
    glCreateRenderbuffers(1, &colour);
    glNamedRenderbufferStorage(colour, GL_RGBA8, Width, Height);
    glCreateFramebuffers(1, &framebuffer);
    glNamedFramebufferRenderbuffer(framebuffer, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glViewport(0, 0, Width, Height);
    for (auto _ : state) {
        glDrawArrays(GL_TRIANGLES, 0, 3);
        glFinish();
    }
    state.counters["centre"] = bench::centrePixel(framebuffer, Width, Height);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &buffer);
    glDeleteSamplers(1, &sampler);
    glDeleteSamplers(1, &textSampler);
}

void registerScenes()
{
    for (const char* scene : Scenes) {
        benchmark::RegisterBenchmark((std::string("Engine/") + scene).c_str(), EngineScenePass,
                                     std::string(scene))
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("BareGl/") + scene).c_str(), BareScenePass,
                                     std::string(scene))
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0)
            ->UseRealTime();
    }
}

} // namespace

int main(int argc, char** argv)
{
    registerScenes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
