#include "platform/win/QuitRequests.h"

#include <X11/Xlib.h>
#include <atomic>
#include <csignal>

namespace orb::win {

namespace {

volatile std::sig_atomic_t receivedSignal = 0;
std::atomic<bool> lostDisplay = false;

void noteSignal(int signal)
{
    if (receivedSignal == 0)
        receivedSignal = signal;
}

// Xlib calls this first when the connection breaks; the default prints and exits.
int noteBrokenConnection(Display*)
{
    lostDisplay = true;
    return 0;
}

// ... and this next, in place of exit(); returning leaves the display marked broken.
void keepRunning(Display*, void*) {}

} // namespace

void catchQuitSignals()
{
    std::signal(SIGINT, noteSignal);
    std::signal(SIGTERM, noteSignal);
}

const char* quitSignal()
{
    switch (receivedSignal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return nullptr;
    }
}

void watchDisplay(_XDisplay* display)
{
    XSetIOErrorHandler(noteBrokenConnection);
    XSetIOErrorExitHandler(display, keepRunning, nullptr);
}

bool displayLost()
{
    return lostDisplay;
}

} // namespace orb::win
