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
#include "platform/win/MessageQueue.h"

#include <memory>

namespace orb {

class Application
{
public:
    explicit Application(const Host& host);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // False when there is no demo to play (cancelled, or start-up failed).
    bool run();
    // Whether run() found no demo to play because the viewer cancelled the dialog, not because
    // start-up failed.
    bool cancelled() const { return cancelled_; }
    // Draws a frame whenever no message is waiting, until the quit message or the demo's end.
    void messageLoop();
    // Deletes the DemoSystem, then the settings, then closes the log. Safe to call twice.
    void shutdown();

    static long windowProcedure(const win::Message& message);
    // Whether the message ends a message loop (a quit request or a lost display); logs why.
    static bool endsTheLoop(const win::Message& message);

private:
    std::unique_ptr<DemoSettings> settings_;
    std::unique_ptr<DemoSystem> demoSystem_;
    bool logOpen_ = false;
    bool cancelled_ = false;
};

} // namespace orb
