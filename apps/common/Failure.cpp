#include "Failure.h"

#include <cerrno>
#include <cstring>

namespace orb::app {

Failure Failure::ofSystem(std::string what)
{
    return {std::move(what), std::strerror(errno)};
}

} // namespace orb::app
