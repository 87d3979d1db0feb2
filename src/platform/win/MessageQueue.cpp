#include "platform/win/MessageQueue.h"

#include "platform/win/QuitRequests.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <map>
#include <wayland-client-core.h>

namespace orb::win {

namespace {

std::map<std::uint32_t, WindowProc>& windowProcs()
{
    static std::map<std::uint32_t, WindowProc> procedures;
    return procedures;
}

int virtualKey(SDL_Keycode key)
{
    static const std::map<SDL_Keycode, int> keys = {
        {SDLK_ESCAPE, KeyEscape}, {SDLK_SPACE, KeySpace},
        {SDLK_PAGEUP, KeyPageUp}, {SDLK_PAGEDOWN, KeyPageDown},
        {SDLK_HOME, KeyHome},     {SDLK_LEFT, KeyLeft},
        {SDLK_RIGHT, KeyRight},   {SDLK_f, KeyF},
        {SDLK_TAB, KeyTab},       {SDLK_l, KeyL},
        {SDLK_COMMA, KeyComma},   {SDLK_PERIOD, KeyPeriod},
    };
    const auto found = keys.find(key);
    return found != keys.end() ? found->second : 0;
}

// SDL ends a Wayland session with its quit event when the compositor's connection breaks, as
// when the compositor dies: that quit is the display going away, not the viewer's.
bool waylandConnectionBroken()
{
    for (const auto& [windowId, procedure] : windowProcs()) {
        SDL_Window* window = SDL_GetWindowFromID(windowId);
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
            info.subsystem == SDL_SYSWM_WAYLAND && wl_display_get_error(info.info.wl.display) != 0)
            return true;
    }
    return false;
}

Message translate(const SDL_Event& event)
{
    Message message;
    switch (event.type) {
    case SDL_QUIT:
        if (waylandConnectionBroken())
            noteDisplayLost();
        message.kind = displayLost() ? MessageKind::DisplayLost : MessageKind::Quit;
        break;
    case SDL_WINDOWEVENT:
        message.windowId = event.window.windowID;
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
            message.kind = MessageKind::CloseRequest;
        break;
    case SDL_KEYDOWN:
        message.kind = MessageKind::KeyDown;
        message.windowId = event.key.windowID;
        message.key = virtualKey(event.key.keysym.sym);
        break;
    default:
        break;
    }
    return message;
}

} // namespace

MessageQueue::MessageQueue()
{
    // Without this SDL ends each batch of polled events with a false "empty", so peek would
    // report an empty queue while messages are waiting.
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
    SDL_InitSubSystem(SDL_INIT_EVENTS);
}

MessageQueue::~MessageQueue()
{
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

bool MessageQueue::peek(Message& message)
{
    if (displayLost()) {
        message = {};
        message.kind = MessageKind::DisplayLost;
        return true;
    }
    if (const char* signal = quitSignal()) {
        message = {};
        message.kind = MessageKind::Quit;
        message.cause = signal;
        return true;
    }
    SDL_Event event;
    if (SDL_PollEvent(&event) == 0)
        return false;
    message = translate(event);
    return true;
}

void MessageQueue::dispatch(const Message& message)
{
    const auto procedure = windowProcs().find(message.windowId);
    if (procedure != windowProcs().end())
        procedure->second(message);
}

void MessageQueue::postQuit()
{
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

void MessageQueue::setWindowProc(std::uint32_t windowId, WindowProc procedure)
{
    windowProcs()[windowId] = procedure;
}

} // namespace orb::win
