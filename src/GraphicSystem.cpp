#include "GraphicSystem.h"

#include "FileSystem.h"
#include "LogFile.h"
#include "platform/fx/NoiseVolume.h"
#include "platform/win/QuitRequests.h"

#include <cstdint>
#include <vector>

namespace orb {

namespace {

constexpr int NoiseSize = 64;

} // namespace

GraphicSystem::GraphicSystem(FileSystem& fileSystem, const Host& host)
    : fileSystem_(fileSystem), backendKind_(host.graphics), frameReader_(host.frameReader),
      frameLayout_(host.frameLayout), watchDrawStates_(host.watchDrawStates)
{}

GraphicSystem::~GraphicSystem()
{
    ORB_INFO("GraphicSystem Shutdown ...");
    renderTargets_.clear();
    effects_.clear();
    backBufferTarget_.reset();
    device_.reset();
    noiseTexture_.reset();
    if (const char* refusal = win::refusedRequest())
        ORB_ERROR("the X server refused a request: " << refusal);
    ORB_INFO("GraphicSystem Shutdown Done");
}

bool GraphicSystem::init(DemoSettings& settings)
{
    ORB_INFO("GraphicSystem Init ... ("
             << static_cast<unsigned>(settings.width) << "," << static_cast<unsigned>(settings.height) << ","
             << settings.aspectRatio << "," << static_cast<unsigned>(settings.multisampleType) << ","
             << static_cast<unsigned>(settings.fullscreen) << "," << PointerFormat{settings.window} << ","
             << PointerFormat{reinterpret_cast<std::uintptr_t>(settings.windowProc)} << ")");
    width_ = settings.width;
    height_ = settings.height;
    // An unset aspect ratio (0, when no dialog ran) would divide every projection by zero.
    aspectRatio_ = settings.aspectRatio > 0.0f ? settings.aspectRatio
                                               : static_cast<float>(width_) / static_cast<float>(height_);
    multisampleType_ = settings.multisampleType;
    fullscreen_ = settings.fullscreen;
    window_ = settings.window;
    windowProc_ = settings.windowProc;

    std::unique_ptr<gfx::Backend> backend = createBackend(settings);
    if (!backend)
        return false;
    chooseMultisampling();
    std::string error;
    device_ = gfx::Device::create(std::move(backend), {width_, height_, multisampleType_}, &error);
    if (!device_) {
        ORB_ERROR_WITH_DETAIL("CreateDevice failed", error);
        return false;
    }
    device_->watchDrawStates(watchDrawStates_);
    backBufferTarget_->setColorSurface(device_->backBuffer());
    backBufferTarget_->setDepthSurface(device_->autoDepthStencil());
    createRenderTargets();
    if (!loadEffect("Data\\Downsample4x4.fx", "Downsample4x4") ||
        !loadEffect("Data\\GaussianBlur.fx", "GaussianBlur") ||
        !loadEffect("Data\\Compositor.fx", "Compositor"))
        return false;
    ORB_INFO("GraphicSystem Init Done");
    return true;
}

std::unique_ptr<gfx::Backend> GraphicSystem::createBackend(DemoSettings& settings)
{
    std::string error;
    if (window_ != 0) {
        ORB_ERROR("CreateWindowEx failed: a window made elsewhere cannot be drawn into");
        return nullptr;
    }
    if (backendKind_ == GraphicsBackend::Offscreen) {
        std::unique_ptr<gfx::Backend> backend =
            gfx::createOffscreenBackend(&error, frameReader_, frameLayout_);
        if (!backend)
            ORB_ERROR_WITH_DETAIL("Direct3DCreate9 failed", error);
        else
            ORB_INFO("drawing off-screen on " << backend->description());
        return backend;
    }
    std::unique_ptr<gfx::Backend> backend = gfx::createWindowBackend(
        {width_, height_, fullscreen_ != 0, settings.display, settings.keepDesktopMode != 0, windowProc_},
        &error);
    if (!backend) {
        ORB_ERROR_WITH_DETAIL("CreateWindowEx failed", error);
        return nullptr;
    }
    ORB_INFO("showing on " << backend->description());
    window_ = backend->windowHandle();
    settings.window = window_;
    return backend;
}

void GraphicSystem::chooseMultisampling()
{
    const int requested = multisampleType_;
    int chosen = 0;
    for (int type = requested; type > 0; --type) {
        if (gfx::checkMultiSampleType(gfx::Format::A8R8G8B8, type) &&
            gfx::checkMultiSampleType(gfx::Format::D24S8, type)) {
            chosen = type;
            break;
        }
    }
    if (chosen != requested)
        ORB_ERROR("selected multisampling quality '" << requested << "' not available. using '" << chosen
                                                     << "' instead");
    multisampleType_ = chosen;
}

void GraphicSystem::createRenderTargets()
{
    struct Target
    {
        const char* name;
        int width;
        int height;
        gfx::Format depth;
    };
    const Target targets[] = {{"Screen", width_, height_, gfx::Format::D24S8},
                              {"Blur1", width_ / 4, height_ / 4, gfx::Format::Unknown},
                              {"Blur2", width_ / 4, height_ / 4, gfx::Format::Unknown},
                              {"Text", 1024, 1024, gfx::Format::D24S8}};
    for (const Target& target : targets)
        renderTargets_[target.name] = std::make_unique<RenderTarget>(*device_, target.width, target.height, 1,
                                                                     gfx::Format::A8R8G8B8, target.depth);
}

namespace {

void reportCompileFailure(const std::string& fileName, const std::string& log)
{
    ORB_ERROR_WITH_DETAIL("CreateEffect failed for " << fileName, log);
}

// Linked now, while loading, rather than in the first frame that draws with them.
void linkForFullScreen(fx::Effect& effect)
{
    for (unsigned pass = 0; pass < effect.passCount(); ++pass)
        effect.prepare(pass, FullScreenTriangleFvf);
}

} // namespace

std::optional<std::string> GraphicSystem::effectText(const std::string& fileName)
{
    if (device_ == nullptr || !fileSystem_.open(fileName))
        return std::nullopt;
    std::string text(fileSystem_.fileData(fileName), fileSystem_.fileSize(fileName));
    fileSystem_.close(fileName);
    return text;
}

std::unique_ptr<fx::Effect> GraphicSystem::createEffect(const char* fileName)
{
    const std::optional<std::string> text = effectText(fileName);
    if (!text)
        return nullptr;
    std::string log;
    std::unique_ptr<fx::Effect> effect = fx::Effect::create(*device_, text->c_str(), text->size(), &log);
    if (!effect) {
        reportCompileFailure(fileName, log);
        return nullptr;
    }
    linkForFullScreen(*effect);
    const std::string_view name = fileName;
    effect->setName(std::string(name.substr(name.rfind('\\') + 1)));
    std::erase_if(createdEffects_, [](const auto& created) { return created.second.alive.expired(); });
    createdEffects_.emplace(fileName, CreatedEffect{effect.get(), effect->lifetime()});
    return effect;
}

GraphicSystem::EffectReload GraphicSystem::reloadEffect(const std::string& fileName)
{
    const auto [first, last] = createdEffects_.equal_range(fileName);
    std::vector<fx::Effect*> alive;
    for (auto created = first; created != last; ++created) {
        if (!created->second.alive.expired())
            alive.push_back(created->second.effect);
    }
    if (alive.empty())
        return EffectReload::Unused;
    const std::optional<std::string> text = effectText(fileName);
    if (!text)
        return EffectReload::Failed;
    for (fx::Effect* effect : alive) {
        std::string log;
        if (!effect->reload(text->c_str(), text->size(), &log)) {
            reportCompileFailure(fileName, log);
            return EffectReload::Failed;
        }
        linkForFullScreen(*effect);
    }
    return EffectReload::Reloaded;
}

bool GraphicSystem::loadEffect(const char* fileName, const char* name)
{
    std::unique_ptr<fx::Effect> effect = createEffect(fileName);
    if (!effect)
        return false;
    effects_[name] = std::move(effect);
    return true;
}

RenderTarget* GraphicSystem::renderTarget(const std::string& name) const
{
    const auto found = renderTargets_.find(name);
    if (found == renderTargets_.end()) {
        ORB_ERROR("Default RenderTarget " << name << " not found");
        return nullptr;
    }
    return found->second.get();
}

fx::Effect* GraphicSystem::effect(const std::string& name) const
{
    const auto found = effects_.find(name);
    if (found == effects_.end()) {
        ORB_ERROR("Default Effect " << name << " not found");
        return nullptr;
    }
    return found->second.get();
}

gfx::VolumeTexture* GraphicSystem::noiseTexture()
{
    if (noiseTexture_ || !device_)
        return noiseTexture_.get();
    std::string error;
    noiseTexture_ =
        device_->createVolumeTexture(NoiseSize, NoiseSize, NoiseSize, 1, gfx::Format::L16, &error);
    if (!noiseTexture_) {
        ORB_ERROR_WITH_DETAIL("CreateVolumeTexture failed for TextureShader", error);
        return nullptr;
    }
    fx::fillNoiseVolume(*noiseTexture_);
    return noiseTexture_.get();
}

void GraphicSystem::beginScene()
{
    if (device_)
        device_->beginScene();
}

void GraphicSystem::endSceneAndPresent()
{
    if (!device_)
        return;
    device_->endScene();
    device_->present();
}

} // namespace orb
