#pragma once

// GraphicSystem -- the window, the device, the back-buffer target, the named render targets,
// the post-processing effects, the matrix stack and the noise texture.
//
//   GraphicSystem graphics(fileSystem, host);
//   if (graphics.init(settings)) {            // logs every step and failure
//       graphics.beginScene();
//       ... draw with graphics.device() ...
//       graphics.postProcess({0.2f, {1, 3, 0, 0}, {1, 1, 1, 1}});
//       graphics.endSceneAndPresent();
//   }

#include "DemoSettings.h"
#include "Host.h"
#include "Renderer/RenderTarget.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Matrix.h"
#include "platform/gfx/Device.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orb {

class FileSystem;

// What a scene hands the post-processing chain.
struct PostProcessParams
{
    float downsample = 0.0f;
    std::array<float, 4> compositorD{};
    std::array<float, 4> compositorC{};
};

// The three vectors of the post-processing passes: d1 for the downsample (one full-size texel
// and the scene's threshold), d2 and d3 for the blur (one quarter-size texel across and down).
struct PostProcessVectors
{
    std::array<float, 4> d1, d2, d3;
};

PostProcessVectors postProcessVectors(int width, int height, float downsample);

// The full-screen triangle's vertex format; effects are linked for it as they are created.
constexpr std::uint32_t FullScreenTriangleFvf = gfx::Fvf::XyzRhw | gfx::Fvf::Tex1;

// The one triangle that covers a whole width x height target, at depth z: pre-transformed with
// rhw 0, its texture coordinates running from 0 to 1 across the target with Direct3D's
// half-pixel offset. The caller has set the vertex format FullScreenTriangleFvf.
void drawFullScreenTriangle(gfx::Device& device, int width, int height, float z);

class GraphicSystem
{
public:
    GraphicSystem(FileSystem& fileSystem, const Host& host);
    ~GraphicSystem();
    GraphicSystem(const GraphicSystem&) = delete;
    GraphicSystem& operator=(const GraphicSystem&) = delete;

    bool init(DemoSettings& settings);

    // Null, with "Default RenderTarget <name> not found" / "Default Effect <name> not found" logged.
    RenderTarget* renderTarget(const std::string& name) const;
    fx::Effect* effect(const std::string& name) const;
    // An effect file through the FileSystem; null with "CreateEffect failed for <file>" and the
    // compiler's text logged when it does not compile (the FileSystem logs a missing file).
    std::unique_ptr<fx::Effect> createEffect(const char* fileName);

    enum class EffectReload
    {
        Unused,   // no effect alive was created from the file
        Reloaded, // every effect created from it now draws with the file's text
        Failed,   // logged as createEffect does; the effects draw as before
    };
    // Compiles the file again into every effect created from it that is still alive.
    EffectReload reloadEffect(const std::string& fileName);

    gfx::Device* device() const { return device_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    float aspectRatio() const { return aspectRatio_; }
    int multisampleType() const { return multisampleType_; }
    fx::MatrixStack& matrixStack() { return matrixStack_; }
    RenderTarget* backBufferTarget() const { return backBufferTarget_.get(); }

    // The shared 64 x 64 x 64 noise volume, made on the first call.
    gfx::VolumeTexture* noiseTexture();
    // Blurs and composes the frame in the back buffer; leaves the back buffer bound with its depth.
    void postProcess(const PostProcessParams& params);

    // A frame's bracket; nothing happens before the device exists.
    void beginScene();
    void endSceneAndPresent();

private:
    // The tests take a render target away, as a failed creation leaves the system.
    friend struct GraphicSystemTestAccess;

    std::unique_ptr<gfx::Backend> createBackend(DemoSettings& settings);
    void chooseMultisampling();
    void createRenderTargets();
    bool loadEffect(const char* fileName, const char* name);
    // An effect file's text; nothing without a device or when the file cannot be read (logged).
    std::optional<std::string> effectText(const std::string& fileName);

    FileSystem& fileSystem_;
    GraphicsBackend backendKind_;
    gfx::FrameReader frameReader_;
    gfx::PixelLayout frameLayout_;
    bool watchDrawStates_;
    std::unique_ptr<gfx::Device> device_;
    fx::MatrixStack matrixStack_;
    std::unique_ptr<RenderTarget> backBufferTarget_ = std::make_unique<RenderTarget>();
    std::unique_ptr<gfx::VolumeTexture> noiseTexture_;
    std::map<std::string, std::unique_ptr<RenderTarget>> renderTargets_;
    std::map<std::string, std::unique_ptr<fx::Effect>> effects_;
    struct CreatedEffect
    {
        fx::Effect* effect;
        std::weak_ptr<const void> alive;
    };
    // Every effect created, by file name, for reloads.
    std::multimap<std::string, CreatedEffect> createdEffects_;
    int width_ = 640;
    int height_ = 480;
    float aspectRatio_ = 640.0f / 480.0f;
    int multisampleType_ = 0;
    int fullscreen_ = 0;
    win::WindowHandle window_ = 0;
    win::WindowProc windowProc_ = nullptr;
};

} // namespace orb
