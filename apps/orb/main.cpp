// orb -- the player: reads Data.qel from the working directory and writes Orb.log there. Exits 0
// after the demo, a cancelled dialog or a quit while loading; 1, with a line on stderr naming the
// cause and the log, when no demo could be played; 2 on bad usage.

#include "Application.h"
#include "LogCapture.h"
#include "PlayerOptions.h"
#include "platform/win/QuitRequests.h"

#include <filesystem>
#include <iostream>

namespace {

// A party's organiser starts the demo from a script: it must tell a demo that could not start.
int noDemo(const std::string& cause)
{
    std::error_code unknown;
    std::cerr << "orb: no demo: " << (cause.empty() ? "start-up failed" : cause)
              << " (the log: " << (std::filesystem::current_path(unknown) / "Orb.log").string() << ")\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const orb::app::Result<orb::player::PlayerOptions> options =
        orb::player::parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << "orb: " << options.failure().message() << "\n\n" << orb::player::Usage;
        return 2;
    }
    if (options->help) {
        std::cout << orb::player::Usage;
        return 0;
    }
    orb::win::catchQuitSignals();
    orb::Application application(orb::Host::player());
    bool started = false;
    std::string cause;
    {
        const orb::app::LogCapture capture;
        started = application.run(options->start);
        cause = capture.firstError();
    }
    if (started)
        application.messageLoop();
    application.shutdown();
    return started || application.endedByViewer() ? 0 : noDemo(cause);
}
