#pragma once

// Panel -- one thing the preview shows over the demo, drawn from one snapshot of the frame that
// is gathered once, after the demo has drawn it. Panels.cpp lists them; a new one is a class
// of its own there.
//
// Does: hand every panel the same facts of the frame on screen (its time, bar and beat, scene,
//       the values its effects drew with, what its passes cost, the loop, the messages); let a
//       panel act on the pointer before the demo's frame, so that a click shows at once.
// Does not: decide the layout (each panel keeps to its own part of the window).
//
//   class Clock final : public Panel {
//       void drawInWindow(const FrameSnapshot& frame) override { ImGui::Text("%.2f", frame.time); }
//   };

#include "LiveValues.h"
#include "PassTally.h"
#include "SceneSpans.h"
#include "Tempo.h"
#include "Transport.h"
#include "Waveform.h"

#include <optional>
#include <string>
#include <vector>

namespace orb::preview {

struct Message
{
    std::string text;
    bool error; // errors stay while the panels are hidden; notes go with them
};

struct FrameSnapshot
{
    float time = 0.0f;
    BarAndBeat position{1, 1};
    bool paused = false;
    bool held = false; // the timeline is held
    const std::vector<app::SceneSpan>* scenes = nullptr;
    std::string scene; // the one playing; empty between scenes
    std::optional<Loop> loop;
    std::vector<EffectValues> values; // while the panels are shown
    const app::PassTally* costs = nullptr;
    const Waveform* waveform = nullptr;
    std::vector<Message> messages; // errors first, then the latest note
    bool panelsShown = true;

    // Time, bar, beat, the scene playing, and whether it is paused:
    // "6.96 s   bar 5   beat 1   Scene2   paused".
    std::string statusLine() const;
};

class Panel
{
public:
    virtual ~Panel() = default;

    // Before the demo's frame, in ImGui's frame, while the panels are shown.
    virtual void interact(Transport&) {}
    // With the demo's own device, over its picture, every frame.
    virtual void drawOverPicture(const FrameSnapshot&) {}
    // With ImGui, over the window, while the panels are shown.
    virtual void drawInWindow(const FrameSnapshot&) {}
};

} // namespace orb::preview
