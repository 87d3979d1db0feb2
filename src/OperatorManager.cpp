#include "OperatorManager.h"

#include "LogFile.h"

namespace orb {

OperatorManager::~OperatorManager()
{
    ORB_INFO("OperatorManager Shutdown ...");
    ORB_INFO("OperatorManager Shutdown Done");
}

} // namespace orb
