#pragma once

// MessageQueue -- the window messages the engine's loop sees, over SDL's event queue.
//
// Does: take the next message without waiting (peek), post the quit message, and hand a
//       message to the procedure registered for its window (dispatch). SDL's own quit event
//       (last window closed) is the quit message; so is a quit signal (QuitRequests.h), with its
//       name as the cause. A lost display is a message of its own, SDL's quit after a Wayland
//       compositor's connection broke included. Both come before any other message, at every
//       peek from then on.
// Does not: create windows or draw. Messages of a window without a procedure are dropped,
//       which is what the default window procedure would do with them.
//
//   MessageQueue queue;
//   Message message;
//   while (queue.peek(message)) { if (message.kind == MessageKind::Quit) break; queue.dispatch(message); }

#include <cstdint>

namespace orb::win {

enum class MessageKind
{
    Quit,
    CloseRequest, // the window's close box
    KeyDown,
    Other,
    DisplayLost, // the connection to the X server or the Wayland compositor broke
};

// Virtual-key codes of the keys the engine and its tools react to.
constexpr int KeyTab = 0x09;
constexpr int KeyEscape = 0x1B;
constexpr int KeySpace = 0x20;
constexpr int KeyPageUp = 0x21;
constexpr int KeyPageDown = 0x22;
constexpr int KeyHome = 0x24;
constexpr int KeyLeft = 0x25;
constexpr int KeyRight = 0x27;
constexpr int KeyF = 0x46;
constexpr int KeyL = 0x4C;
constexpr int KeyComma = 0xBC;
constexpr int KeyPeriod = 0xBE;

// A window as the engine's settings and log know it: its X11 id, 0 for none.
using WindowHandle = std::uintptr_t;

struct Message
{
    MessageKind kind = MessageKind::Other;
    std::uint32_t windowId = 0;  // SDL's id of the window the message is for; 0 for none
    int key = 0;                 // virtual-key code for KeyDown; 0 for keys without one here
    const char* cause = nullptr; // for Quit: the signal that asked for it; null for the others
};

// Returns 0 when the procedure handled the message.
using WindowProc = long (*)(const Message& message);

class MessageQueue
{
public:
    MessageQueue();
    ~MessageQueue();
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // True and the message when one was waiting; false at once on an empty queue.
    bool peek(Message& message);
    void dispatch(const Message& message);

    static void postQuit();
    static void setWindowProc(std::uint32_t windowId, WindowProc procedure);
};

} // namespace orb::win
