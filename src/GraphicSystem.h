#pragma once

// GraphicSystem -- the window, the device and the render targets.
//
// This build has no graphics device: init logs its start-up line and fails with a reason, so
// the demo stops before its first frame, and there is nothing to draw a frame with.

#include "DemoSettings.h"

namespace orb {

class FileSystem;

class GraphicSystem
{
public:
    explicit GraphicSystem(FileSystem& fileSystem) : fileSystem_(fileSystem) {}
    ~GraphicSystem();
    GraphicSystem(const GraphicSystem&) = delete;
    GraphicSystem& operator=(const GraphicSystem&) = delete;

    bool init(DemoSettings& settings);

    void beginScene() {}
    void endSceneAndPresent() {}

private:
    [[maybe_unused]] FileSystem& fileSystem_;
};

} // namespace orb
