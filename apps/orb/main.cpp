// orb -- the player: reads Data.qel from the working directory and writes Orb.log there. Exits 0
// after the demo or a cancelled dialog; 1, with a line on stderr naming the cause and the log,
// when no demo could be played.

#include "Application.h"
#include "LogCapture.h"
#include "platform/win/QuitRequests.h"

#include <filesystem>
#include <iostream>

int main()
{
    orb::win::catchQuitSignals();
    orb::Application application(orb::Host::player());
    bool started = false;
    std::string cause;
    {
        const orb::app::LogCapture capture;
        started = application.run();
        cause = capture.firstError();
    }
    if (started)
        application.messageLoop();
    application.shutdown();
    if (started || application.cancelled())
        return 0;
    // A party's organiser starts the demo from a script: it must tell a demo that could not start.
    std::error_code unknown;
    std::cerr << "orb: no demo: " << (cause.empty() ? "start-up failed" : cause)
              << " (the log: " << (std::filesystem::current_path(unknown) / "Orb.log").string() << ")\n";
    return 1;
}
