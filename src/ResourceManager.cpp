#include "ResourceManager.h"

#include "LogFile.h"

namespace orb {

ResourceManager::~ResourceManager()
{
    ORB_INFO("ResourceManager Shutdown ...");
    ORB_INFO("ResourceManager Shutdown Done");
}

} // namespace orb
