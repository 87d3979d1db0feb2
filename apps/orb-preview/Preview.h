#pragma once

// Preview -- the production played from a directory for its authors: paused and resumed, moved
// by bars and scenes, and changed on disk while it plays.
//
// Does: start the demo without the dialog (looping, in a window of the given size), draw the
//       time, bar, beat and scene over every frame in font16, and at each frame take in the
//       files saved since the last one: an effect is compiled again and swapped in (a compile
//       error keeps the old one and is shown until the file compiles), the script or an image,
//       mesh or the music reloads the demo at the same time. A demo that fails to load waits,
//       with its error shown, for the next save. In a window, the panels (see Panels.h) show
//       the timeline, the values the frame was drawn with and what its passes cost; the strip
//       seeks where it is clicked and scrubs while it is held, silently, playing on when let go.
//       Tab hides everything it draws over the demo's own frame but errors.
// Does not: pace frames (its caller's message loop does), or write files.
//
//   Host host = Host::player();
//   host.dataDirectory = "build/production/Data";
//   Preview preview(host, 1280, 720);
//   win::MessageQueue queue;
//   if (preview.start())
//       while (takeMessages(queue, preview)) preview.frame();

#include "DemoSystem.h"
#include "Gui.h"
#include "LiveValues.h"
#include "Panels.h"
#include "PassCosts.h"
#include "SceneSpans.h"
#include "TimelineView.h"
#include "Waveform.h"
#include "platform/win/DirectoryWatch.h"
#include "platform/win/MessageQueue.h"

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orb::preview {

class Preview final : private FrameOverlay
{
public:
    Preview(const Host& host, int width, int height);
    ~Preview() override;
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // False when there is nothing to show the demo with: no directory, window or sound output.
    bool start();
    // Takes in the saved files and shows one frame, at the time asked for by the keys if any.
    void frame();
    // Space, Left, Right, Page Up, Page Down, Home, F, Tab and L; other keys do nothing.
    void press(int key);
    // The timeline held at `time`: the picture follows, the music is silent until it is let go.
    void hold(float time);
    // Let go at `time`: seeks there and plays on if it played before it was held.
    void release(float time);

    DemoSystem& demo() { return *demo_; }
    // The overlay's first line: time, bar, beat, the scene playing, and whether it is paused.
    std::string statusLine() const;
    // What the overlay shows under it: errors first, then the latest note.
    std::vector<std::string> messages() const;
    bool panelsShown() const { return panelsShown_; }
    // What the last frame's effects were given, while the panels are shown.
    const std::vector<EffectValues>& liveValues() const { return values_; }
    const PassCosts& costs() const { return costs_; }
    const Waveform& waveform() const { return waveform_; }
    const TimelineView& timeline() const { return view_; }
    const std::optional<Loop>& loop() const { return loop_; }

private:
    struct Message
    {
        std::string text;
        gfx::Color colour;
    };

    std::vector<Message> shownMessages() const;
    void draw() override;
    void drawText();
    void drawPanels();
    void takeInChanges();
    void reloadEffect(const std::string& name);
    void reloadDemo();
    void loadWaveform();
    void playFrame();
    void seekTo(float time);
    void seekBy(float seconds);
    void logSeek(float time) const;
    float targetTime() const;
    void markLoop();
    void showPanels(bool shown);
    void note(std::string text);
    void drawAlone();
    void reportShown();

    std::string directory_;
    DemoSettings settings_;
    std::unique_ptr<DemoSystem> demo_;
    std::unique_ptr<win::DirectoryWatch> watch_;
    bool loaded_ = false;
    bool fullscreen_ = false;
    std::optional<float> seek_;
    std::vector<SceneSpan> spans_;
    std::map<std::string, std::string> errors_; // by file name, until it loads
    std::string note_;
    std::chrono::steady_clock::time_point noteShownUntil_;
    // Files taken in at this frame, whose time from being saved to being seen is logged.
    std::vector<std::string> awaitingShow_;

    bool seekLogged_ = false;
    bool timing_ = false;                 // the frame's passes are being timed
    std::optional<bool> heldWhilePaused_; // while the timeline is held: whether it was paused before
    bool playAfterSeek_ = false;
    std::optional<Loop> loop_;
    bool panelsShown_ = true;
    TimelineView view_;
    Waveform waveform_;
    std::string waveformError_;
    std::vector<EffectValues> values_;
    PassCosts costs_;
    std::unique_ptr<Gui> gui_; // after the demo, whose window it draws over
};

// Takes every message waiting: keys go to the preview. False once it is to end: Escape, the
// window's close box, a quit request or a lost display.
bool takeMessages(win::MessageQueue& queue, Preview& preview);

} // namespace orb::preview
