#pragma once

// Preview -- the production played from a directory for its authors: paused and resumed, moved
// by bars and scenes, and changed on disk while it plays.
//
// Does: start the demo without the dialog (looping, in a window of the given size); at each
//       frame take in the files saved since the last one (Reloader), show the frame at the time
//       the keys or the timeline asked for (Transport), and draw the panels (Panels.h) from one
//       snapshot of that frame: the overlay in font16 over the demo's own picture, and in a
//       window the timeline strip, the values the frame was drawn with and what its passes cost.
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
#include "Notes.h"
#include "Panel.h"
#include "PassCosts.h"
#include "Reloader.h"
#include "Transport.h"
#include "platform/win/MessageQueue.h"

#include <memory>
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
    // Space, Left, Right, Comma, Period, Page Up, Page Down, Home, F, Tab and L; other keys do
    // nothing.
    void press(int key);
    // The timeline held at `time`, and let go (see Transport).
    void hold(float time) { transport_.hold(time); }
    void release(float time) { transport_.release(time); }

    DemoSystem& demo() { return *demo_; }
    const Transport& transport() const { return transport_; }
    // The overlay's first line, of the frame on screen.
    std::string statusLine() const { return shown_.statusLine(); }
    // What the overlay shows under it: errors first, then the latest note.
    std::vector<std::string> messages() const;
    bool panelsShown() const { return panelsShown_; }
    // What the panels drew the frame on screen from.
    const FrameSnapshot& shownFrame() const { return shown_; }
    const Waveform& waveform() const { return reloader_.waveform(); }
    // The panel of that class; null when there is none.
    template <typename PanelType>
    const PanelType* panel() const
    {
        for (const std::unique_ptr<Panel>& panel : panels_) {
            if (const auto* found = dynamic_cast<const PanelType*>(panel.get()))
                return found;
        }
        return nullptr;
    }

private:
    void draw() override;
    void playFrame();
    void drawAlone();
    void gatherShownFrame();
    void drawOverPicture();
    std::vector<Message> shownMessages() const;
    void showPanels(bool shown);

    DemoSettings settings_;
    std::unique_ptr<DemoSystem> demo_;
    Notes notes_;
    Transport transport_;
    Reloader reloader_;
    PassCosts costs_;
    bool timing_ = false; // the frame's passes are being timed
    bool fullscreen_ = false;
    bool panelsShown_ = true;
    std::vector<std::unique_ptr<Panel>> panels_;
    FrameSnapshot shown_;
    std::unique_ptr<Gui> gui_; // after the demo, whose window it draws over
};

// Takes every message waiting: keys go to the preview. False once it is to end: Escape, the
// window's close box, a quit request or a lost display.
bool takeMessages(win::MessageQueue& queue, Preview& preview);

} // namespace orb::preview
