#include "Application.h"

#include "LogFile.h"
#include "SetupDialog.h"

namespace orb {

Application::Application(const Host& host)
{
    LogFile::instance().open("Orb.log");
    logOpen_ = true;
    settings_ = std::make_unique<DemoSettings>();
    Host watched = host;
    watched.keepLoading = &Application::keepLoading;
    demoSystem_ = std::make_unique<DemoSystem>(watched);
}

Application::~Application()
{
    shutdown();
}

bool Application::run(const StartChoices& choices)
{
    settings_->display = choices.display.value_or(settings_->display);
    settings_->fullscreen = choices.fullscreen.value_or(settings_->fullscreen != 0) ? 1 : 0;
    settings_->soundOffset = choices.soundOffset.value_or(settings_->soundOffset);
    if (!runSetupDialog(*settings_, choices.dialog)) {
        ORB_INFO("Well ... no demo then ... fine");
        endedByViewer_ = true;
        return false;
    }
    settings_->window = 0;
    settings_->windowProc = &Application::windowProcedure;
    settings_->scriptPath = DemoSystem::ScriptPath;
    if (demoSystem_->init(*settings_))
        return true;
    endedByViewer_ = demoSystem_->loadingStopped();
    return false;
}

bool Application::keepLoading()
{
    win::MessageQueue queue;
    win::Message message;
    while (queue.peek(message)) {
        if (endsTheLoop(message))
            return false;
        queue.dispatch(message);
    }
    return true;
}

void Application::messageLoop()
{
    win::MessageQueue queue;
    bool running = true;
    while (running) {
        win::Message message;
        if (queue.peek(message)) {
            if (endsTheLoop(message))
                running = false;
            else
                queue.dispatch(message);
        } else {
            running = demoSystem_->frame(0, nullptr);
        }
    }
}

void Application::shutdown()
{
    demoSystem_.reset();
    settings_.reset();
    if (logOpen_)
        LogFile::instance().close();
    logOpen_ = false;
}

bool Application::endsTheLoop(const win::Message& message)
{
    if (message.kind == win::MessageKind::Quit && message.cause != nullptr)
        ORB_INFO("quitting on " << message.cause);
    if (message.kind == win::MessageKind::DisplayLost)
        ORB_ERROR("the display has gone away");
    return message.kind == win::MessageKind::Quit || message.kind == win::MessageKind::DisplayLost;
}

long Application::windowProcedure(const win::Message& message)
{
    const bool escape = message.kind == win::MessageKind::KeyDown && message.key == win::KeyEscape;
    if (message.kind == win::MessageKind::CloseRequest || escape)
        win::MessageQueue::postQuit();
    return 0;
}

} // namespace orb
