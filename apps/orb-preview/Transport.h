#pragma once

// Transport -- the preview's hand on the demo's time: play and pause, seeks by key and by the
// timeline, a hold while the timeline is scrubbed, steps by frames, and a marked loop. The music
// follows the clock; paused, short grains of it are heard where the picture moves to.
//
// Does: keep the seek asked for until the next frame shows it (so that presses add up), log
//       every seek once with its bar and scene, hold the demo paused while the timeline is held
//       and play on after it is let go if it played before, and seek back to a marked loop's
//       start once the demo plays on to its end. Times stay within 0 and the demo's length.
// Does not: load the demo (it is told when one is loaded and which scenes it has), or draw.
//
//   Transport transport(demo);
//   transport.demoLoaded();                 // after every load: the scenes come from the timeline
//   transport.stepBars(1);  transport.nextScene();
//   transport.playFrame();                  // the frame, at the time asked for
//   transport.hold(120.0f);  ...  transport.release(130.0f);
//   transport.stepFrames(1);                // paused, a frame on; its beat is heard

#include "SceneSpans.h"

#include <optional>
#include <string>
#include <vector>

namespace orb {
class DemoSystem;
}

namespace orb::preview {

struct Loop
{
    float start;
    std::optional<float> end; // none while only its start is marked
};

class Transport
{
public:
    explicit Transport(DemoSystem& demo) : demo_(demo) {}

    // The demo loaded anew (its scenes are read from its timeline), or failed to load.
    void demoLoaded();
    void demoLost();
    bool loaded() const { return loaded_; }
    const std::vector<app::SceneSpan>& scenes() const { return scenes_; }

    // One frame, at the time a seek asked for if any.
    void playFrame();

    void togglePause();
    void stepBars(int bars);
    void nextScene();
    void previousScene();
    void seekTo(float time);
    // The timeline held at `time`: the picture follows, and a grain of the music there is heard
    // (the music itself waits until it is let go).
    void hold(float time);
    // Let go at `time`: seeks there and plays on if it played before it was held.
    void release(float time);
    // First the loop's start, then its end; a third mark loops the whole demo again. Returns
    // what was done, in words.
    std::string markLoop();
    // Pauses and moves `frames` frames of a 60 Hz display on or back; the beat the picture then
    // stands in is heard from its start.
    void stepFrames(int frames);

    float time() const;
    float length() const;
    bool paused() const;
    bool held() const { return heldWhilePaused_.has_value(); }
    const std::optional<Loop>& loop() const { return loop_; }
    // Where the music plays from next, in seconds; none without a music stream.
    std::optional<double> musicTime() const;

private:
    float targetTime() const;
    void logSeek(float time) const;
    void playGrain(double from, double seconds) const;

    DemoSystem& demo_;
    bool loaded_ = false;
    std::vector<app::SceneSpan> scenes_;
    std::optional<float> seek_;
    bool seekLogged_ = false;
    std::optional<bool> heldWhilePaused_; // while the timeline is held: whether it was paused before
    bool playAfterSeek_ = false;
    std::optional<Loop> loop_;
};

} // namespace orb::preview
