#pragma once

// QuitRequests -- reasons to quit that come from outside the program's windows: SIGINT and
// SIGTERM, and the display going away (the X server or the Wayland compositor). The message queue
// turns them into its quit messages, so that the program always leaves by its own shutdown
// instead of being killed midway.
//
//   win::catchQuitSignals();              // at process entry, before anything can take long
//   win::watchDisplay(display);           // once the window is open
//   if (const char* signal = win::quitSignal()) ...

struct _XDisplay; // Xlib's Display, without the macros of its header

namespace orb::win {

// From now on SIGINT and SIGTERM are noted instead of ending the process. SDL, started later,
// leaves handlers it finds in place.
void catchQuitSignals();
// The name of the first quit signal received ("SIGINT", "SIGTERM"); null while there was none.
const char* quitSignal();

// A lost connection to `display` is noted instead of ending the process, and every later call on
// the display returns at once. So is a request the server refuses, which Xlib would end the
// process for.
void watchDisplay(_XDisplay* display);
// For a loss found elsewhere: a Wayland compositor's connection that broke.
void noteDisplayLost();
bool displayLost();
// The first refused request's error, as Xlib words it; null while there was none.
const char* refusedRequest();

} // namespace orb::win
