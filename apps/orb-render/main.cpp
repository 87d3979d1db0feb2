// orb-render -- the player's engine off-screen: renders the demo to PNG frames or a video.

#include "FrameDriver.h"
#include "OutputPlan.h"
#include "RenderOptions.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::string error;
    const auto options = orb::render::parseOptions({argv + 1, argv + argc}, error);
    if (options && options->help) {
        std::cout << orb::render::Usage;
        return 0;
    }
    const auto plan = options ? orb::render::planOutput(*options, error) : std::nullopt;
    if (!plan) {
        std::cerr << "orb-render: " << error << "\n\n" << orb::render::Usage;
        return 2;
    }
    return orb::render::FrameDriver(*options, *plan).run();
}
