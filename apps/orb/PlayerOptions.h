#pragma once

// PlayerOptions -- what the player is asked to do, from its command line: the display, full
// screen or a window, and whether the setup dialog asks first.

#include "Application.h"
#include "Failure.h"

#include <string>
#include <vector>

namespace orb::player {

struct PlayerOptions
{
    StartChoices start;
    bool help = false;
};

// Or why the arguments are not usable.
app::Result<PlayerOptions> parseOptions(const std::vector<std::string>& arguments);

extern const char* const Usage;

} // namespace orb::player
