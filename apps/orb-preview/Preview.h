#pragma once

// Preview -- the production played from a directory for its authors: paused and resumed, moved
// by bars and scenes, and changed on disk while it plays.
//
// Does: start the demo without the dialog (looping, in a window of the given size), draw the
//       time, bar, beat and scene over every frame in font16, and at each frame take in the
//       files saved since the last one: an effect is compiled again and swapped in (a compile
//       error keeps the old one and is shown until the file compiles), the script or an image,
//       mesh or the music reloads the demo at the same time. A demo that fails to load waits,
//       with its error shown, for the next save.
// Does not: read the keyboard or pace frames (its caller's message loop does), or write files.
//
//   Host host = Host::player();
//   host.dataDirectory = "build/production/Data";
//   Preview preview(host, 1280, 720);
//   if (preview.start())
//       while (running) { preview.press(key); preview.frame(); }

#include "DemoSystem.h"
#include "SceneSpans.h"
#include "platform/win/DirectoryWatch.h"

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
    // Space, Left, Right, Page Up, Page Down, Home and F; other keys do nothing.
    void press(int key);

    DemoSystem& demo() { return *demo_; }
    // The overlay's first line: time, bar, beat, the scene playing, and whether it is paused.
    std::string statusLine() const;
    // What the overlay shows under it: errors first, then the latest note.
    std::vector<std::string> messages() const;

private:
    struct Message
    {
        std::string text;
        gfx::Color colour;
    };

    std::vector<Message> shownMessages() const;
    void draw() override;
    void takeInChanges();
    void reloadEffect(const std::string& name);
    void reloadDemo();
    void seekTo(float time);
    void seekBy(float seconds);
    float targetTime() const;
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
};

} // namespace orb::preview
