#pragma once

// Application -- the process: opens the log, holds the settings and the DemoSystem, runs the
// message loop and shuts everything down in order.
//
//   Application application(Host::player());
//   if (application.run())
//       application.messageLoop();
//   application.shutdown();

#include "DemoSettings.h"
#include "DemoSystem.h"
#include "Host.h"
#include "SetupDialog.h"
#include "platform/win/MessageQueue.h"

#include <memory>
#include <optional>

namespace orb {

// What the player's command line asks for; what it leaves out, the dialog's defaults give.
struct StartChoices
{
    std::optional<int> display; // as the window system lists them, from 0
    std::optional<bool> fullscreen;
    std::optional<int> soundOffset; // ms, as DemoSettings::soundOffset
    DialogShown dialog = DialogShown::Yes;
};

class Application
{
public:
    explicit Application(const Host& host);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // False when there is no demo to play (cancelled, quit while loading, or start-up failed).
    bool run(const StartChoices& choices = {});
    // Whether run() found no demo to play because the viewer cancelled the dialog or quit while
    // the demo loaded, not because start-up failed.
    bool endedByViewer() const { return endedByViewer_; }
    // Draws a frame whenever no message is waiting, until the quit message or the demo's end.
    void messageLoop();
    // Deletes the DemoSystem, then the settings, then closes the log. Safe to call twice.
    void shutdown();

    static long windowProcedure(const win::Message& message);
    // Whether the message ends a message loop (a quit request or a lost display); logs why.
    static bool endsTheLoop(const win::Message& message);

private:
    // Hands the waiting messages to their windows while the demo loads; false once one ends the
    // loop, so that Escape and the close box work then too.
    static bool keepLoading();

    std::unique_ptr<DemoSettings> settings_;
    std::unique_ptr<DemoSystem> demoSystem_;
    bool logOpen_ = false;
    bool endedByViewer_ = false;
};

} // namespace orb
