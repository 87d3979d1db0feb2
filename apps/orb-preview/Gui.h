#pragma once

// Gui -- Dear ImGui over the preview's window, through its SDL 2 and OpenGL 3 backends.
//
// Does: give ImGui the window's input (watched as SDL queues it, so that the engine's message
//       loop still sees every event), begin a frame when asked, and draw what was declared in it
//       over the window's next frame, in the window's own pixels; let the window be resized.
// Does not: decide what is drawn (the caller declares it between beginFrame and the window's
//       next present, and `draw` adds the rest just before it is drawn), or read the keyboard
//       for the preview.
//
//   auto gui = Gui::create(backend, [&] { drawPanels(); });   // null off-screen
//   gui->beginFrame();  ... ImGui widgets ...  demo.frame(0, nullptr);  gui->endFrame();

#include "platform/gfx/Backend.h"

#include <functional>
#include <memory>

union SDL_Event;

namespace orb::preview {

class Gui final
{
public:
    // Null without a window to draw over.
    static std::unique_ptr<Gui> create(gfx::Backend& backend, std::function<void()> draw);
    ~Gui();
    Gui(const Gui&) = delete;
    Gui& operator=(const Gui&) = delete;

    void beginFrame();
    // Drops a frame begun but never shown (the demo drew nothing).
    void endFrame();

private:
    Gui(gfx::Backend& backend, std::function<void()> draw);
    static int watch(void* gui, SDL_Event* event);
    void render();

    gfx::Backend& backend_;
    std::function<void()> draw_;
    bool begun_ = false;
};

} // namespace orb::preview
