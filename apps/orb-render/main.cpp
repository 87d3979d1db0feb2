// orb-render -- the player's engine off-screen: renders the demo to PNG frames or a video.

#include "Encoder.h"
#include "FrameDriver.h"
#include "RenderOptions.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::string error;
    auto options = orb::render::parseOptions({argv + 1, argv + argc}, error);
    if (options && !options->videoFile.empty()) {
        const std::string refusal = orb::render::Encoder::refusal(
            {options->videoFile, options->width, options->height, options->fps, options->at.empty()});
        if (!refusal.empty())
            error = "the video encoder refuses " + std::to_string(options->width) + " x " +
                    std::to_string(options->height) + ": " + refusal;
    }
    if (!options || !error.empty()) {
        std::cerr << "orb-render: " << error << "\n\n" << orb::render::Usage;
        return 2;
    }
    if (options->help) {
        std::cout << orb::render::Usage;
        return 0;
    }
    return orb::render::FrameDriver(*options).run();
}
