// orb-render -- the player's engine off-screen: renders the demo to PNG frames or a video.

#include "FrameDriver.h"
#include "OutputPlan.h"
#include "RenderOptions.h"

#include <iostream>
#include <string_view>

namespace {

// The one place a failure reaches the viewer: a line on stderr, after it `usage` when given, and
// the exit status.
int exitWith(const orb::render::Ending& ending, std::string_view usage = {})
{
    if (ending.failure)
        std::cerr << "orb-render: " << ending.failure.message() << "\n";
    if (!usage.empty())
        std::cerr << "\n" << usage;
    return ending.status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace orb::render;
    const orb::app::Result<RenderOptions> options = parseOptions({argv + 1, argv + argc});
    if (options && options->help) {
        std::cout << Usage;
        return Rendered;
    }
    const orb::app::Result<OutputPlan> plan = options ? planOutput(*options) : options.failure();
    if (!plan)
        return exitWith({plan.failure(), BadUsage}, Usage);
    const Ending ending = FrameDriver(*options, *plan).run();
    return exitWith(ending);
}
