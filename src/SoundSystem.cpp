#include "SoundSystem.h"

#include "LogFile.h"

namespace orb {

SoundSystem::~SoundSystem()
{
    ORB_INFO("SoundSystem Shutdown ...");
    ORB_INFO("SoundSystem Shutdown Done");
}

bool SoundSystem::init(const DemoSettings& settings)
{
    ORB_INFO("SoundSystem Init ... (44100," << static_cast<unsigned>(settings.sound) << ","
                                            << PointerFormat{settings.window} << ")");
    ORB_ERROR("no audio output is available in this build");
    return false;
}

} // namespace orb
