// orb-render -- the player's engine off-screen: renders the demo to PNG frames or a video.

#include "FrameDriver.h"
#include "LogFile.h"
#include "OutputPlan.h"
#include "RenderOptions.h"

#include <iostream>
#include <string_view>

namespace {

// The engine's log, Orb.log in the working directory, open for the whole run.
struct LogOpen
{
    LogOpen() { orb::LogFile::instance().open("Orb.log"); }
    ~LogOpen() { orb::LogFile::instance().close(); }
    LogOpen(const LogOpen&) = delete;
    LogOpen& operator=(const LogOpen&) = delete;
};

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
        std::cout << usage();
        return Rendered;
    }
    const orb::app::Result<OutputPlan> plan = options ? planOutput(*options) : options.failure();
    if (!plan)
        return exitWith({plan.failure(), BadUsage}, usage());
    const LogOpen log;
    std::vector<unsigned char> poster;
    if (options->poster) {
        // Drawn by a demo of its own, so that the video's pictures are those of a render without it.
        const auto [posterOptions, posterPlan] = posterRun(*options);
        if (const Ending ending = FrameDriver(posterOptions, posterPlan).run(); ending.status != Rendered)
            return exitWith(ending);
        poster = *posterPlan.poster;
    }
    return exitWith(FrameDriver(*options, *plan, std::move(poster)).run());
}
