#include "GraphicSystem.h"

#include "LogFile.h"

#include <cstdint>

namespace orb {

GraphicSystem::~GraphicSystem()
{
    ORB_INFO("GraphicSystem Shutdown ...");
    ORB_INFO("GraphicSystem Shutdown Done");
}

bool GraphicSystem::init(DemoSettings& settings)
{
    ORB_INFO("GraphicSystem Init ... ("
             << static_cast<unsigned>(settings.width) << "," << static_cast<unsigned>(settings.height) << ","
             << settings.aspectRatio << "," << static_cast<unsigned>(settings.multisampleType) << ","
             << static_cast<unsigned>(settings.fullscreen) << "," << PointerFormat{settings.window} << ","
             << PointerFormat{reinterpret_cast<std::uintptr_t>(settings.windowProc)} << ")");
    ORB_ERROR("no graphics device is available in this build");
    return false;
}

} // namespace orb
