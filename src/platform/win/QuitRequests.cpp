#include "platform/win/QuitRequests.h"

#include <X11/Xlib.h>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>

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

std::array<char, 256> firstRefusal{};

// A request the server refuses (SDL's own, restoring a display mode, for one) would end the
// process through Xlib's default handler, before the shutdown that stops the music and the log.
int noteRefusal(Display* display, XErrorEvent* error)
{
    if (firstRefusal[0] != '\0')
        return 0;
    char text[160] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::snprintf(firstRefusal.data(), firstRefusal.size(), "%s (request %u.%u)", text,
                  static_cast<unsigned>(error->request_code), static_cast<unsigned>(error->minor_code));
    return 0;
}

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
    XSetErrorHandler(noteRefusal);
}

const char* refusedRequest()
{
    return firstRefusal[0] != '\0' ? firstRefusal.data() : nullptr;
}

void noteDisplayLost()
{
    lostDisplay = true;
}

bool displayLost()
{
    return lostDisplay;
}

} // namespace orb::win
