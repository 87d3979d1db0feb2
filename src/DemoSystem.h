#pragma once

// DemoSystem -- owns every subsystem, starts them in order, runs the demo clock frame by frame
// and tears everything down in order.
//
//   DemoSystem demo(Host::player());
//   if (demo.init(settings))
//       while (demo.frame(0, nullptr)) {}     // the message loop does this between messages

#include "DemoClock.h"
#include "DemoSettings.h"
#include "FileSystem.h"
#include "GraphicSystem.h"
#include "Host.h"
#include "IdTable.h"
#include "OperatorManager.h"
#include "ResourceManager.h"
#include "Scene.h"
#include "SoundSystem.h"

#include <cstdint>
#include <memory>

namespace orb {

class DemoSystem
{
public:
    explicit DemoSystem(const Host& host);
    ~DemoSystem();
    DemoSystem(const DemoSystem&) = delete;
    DemoSystem& operator=(const DemoSystem&) = delete;

    bool init(DemoSettings& settings);

    // One frame of the scene `sceneId`; a seek time jumps the clock there. False once the demo is over.
    bool frame(std::uint32_t sceneId, const float* seekTime);

    bool registerScene(Scene* scene, std::uint32_t id);
    void unregisterScene(std::uint32_t id);

    FileSystem* fileSystem() const { return fileSystem_.get(); }
    GraphicSystem* graphicSystem() const { return graphicSystem_.get(); }
    SoundSystem* soundSystem() const { return soundSystem_.get(); }
    ResourceManager* resourceManager() const { return resourceManager_.get(); }
    OperatorManager* operatorManager() const { return operatorManager_.get(); }

private:
    bool loadScript(const char* path);

    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<GraphicSystem> graphicSystem_;
    std::unique_ptr<SoundSystem> soundSystem_;
    std::unique_ptr<ResourceManager> resourceManager_;
    std::unique_ptr<OperatorManager> operatorManager_;
    IdTable<Scene> scenes_{"scene"};
    DemoClock clock_;
};

} // namespace orb
