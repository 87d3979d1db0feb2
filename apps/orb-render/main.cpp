// orb-render -- the player's engine off-screen: renders the demo to PNG frames or a video.

#include "FrameDriver.h"
#include "RenderOptions.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    std::string error;
    const auto options = orb::render::parseOptions({argv + 1, argv + argc}, error);
    if (!options) {
        std::cerr << "orb-render: " << error << "\n\n" << orb::render::Usage;
        return 2;
    }
    if (options->help) {
        std::cout << orb::render::Usage;
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN); // a failing ffmpeg is reported, not fatal
    return orb::render::FrameDriver(*options).run();
}
