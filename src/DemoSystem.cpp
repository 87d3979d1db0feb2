#include "DemoSystem.h"

#include "LogFile.h"

namespace orb {

DemoSystem::DemoSystem(const Host& host)
    : fileSystem_(std::make_unique<FileSystem>()),
      graphicSystem_(std::make_unique<GraphicSystem>(*fileSystem_, host)),
      soundSystem_(std::make_unique<SoundSystem>(*fileSystem_)),
      resourceManager_(std::make_unique<ResourceManager>(*this)),
      operatorManager_(std::make_unique<OperatorManager>(*this)), clock_(host.counter)
{}

DemoSystem::~DemoSystem()
{
    ORB_INFO("DemoSystem Shutdown ...");
    graphicSystem_.reset();
    soundSystem_.reset();
    fileSystem_.reset();
    resourceManager_.reset();
    operatorManager_.reset();
    ORB_INFO("DemoSystem Shutdown Done");
}

bool DemoSystem::init(DemoSettings& settings)
{
    ORB_INFO("DemoSystem Init ...");
    if (!fileSystem_->init("Data.qel")) {
        ORB_ERROR("failed to init filesystem. aborting ...");
        return false;
    }
    if (!graphicSystem_->init(settings)) {
        ORB_ERROR("failed to init graphicsystem. aborting ...");
        return false;
    }
    if (!soundSystem_->init(settings)) {
        ORB_ERROR("failed to init soundsystem. aborting ...");
        return false;
    }
    if (settings.scriptPath != nullptr && !loadScript(settings.scriptPath)) {
        ORB_ERROR("failed to load demo script '" << settings.scriptPath << "'. aborting ...");
        return false;
    }
    clock_.start(0.0f, settings.loopDemo != 0);
    ORB_INFO("DemoSystem Init Done");
    return true;
}

bool DemoSystem::loadScript(const char* path)
{
    ORB_ERROR("this build cannot read the demo script '" << path << "'");
    return false;
}

bool DemoSystem::frame(std::uint32_t sceneId, const float* seekTime)
{
    const DemoClock::Tick tick = clock_.tick(seekTime);
    if (tick.step == DemoClock::Step::End)
        return false;
    if (tick.step == DemoClock::Step::Loop) {
        ORB_INFO("DemoSystem Looping Demo");
        return true;
    }

    graphicSystem_->beginScene();
    if (Scene* scene = scenes_.find(sceneId))
        scene->process(clock_.time(), seekTime != nullptr);
    else
        ORB_ERROR("invalid scene id '" << sceneId << "'");
    graphicSystem_->endSceneAndPresent();
    return true;
}

bool DemoSystem::registerScene(Scene* scene, std::uint32_t id)
{
    const std::optional<std::uint32_t> registered = scenes_.add(scene, id);
    if (registered)
        scene->setId(*registered);
    return registered.has_value();
}

void DemoSystem::unregisterScene(std::uint32_t id)
{
    scenes_.remove(id);
}

} // namespace orb
