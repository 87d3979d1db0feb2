#pragma once

// SetupDialog -- what the setup dialog shows and what it makes of the viewer's choices, free of
// any toolkit: the displays, the chosen display's modes (32 bits per pixel, each size once where
// it repeats in a row, in the order the display lists them), the 14 aspect ratios, the 17
// multisample entries, the first selections from the settings, the resolution box following the
// display box and the aspect box following the resolution box, and the settings written on
// "Imprison". Full screen keeps the desktop's mode by default where the display has no mode of
// the settings' size.
//
//   SetupDialog dialog(settings, win::displays());
//   dialog.selectDisplay(1);                     // its modes, and its desktop mode if need be
//   dialog.selectResolution(2);                  // the aspect box follows
//   dialog.confirm();                            // into the settings

#include "DemoSettings.h"
#include "platform/win/DisplayModes.h"

#include <optional>
#include <string>
#include <vector>

namespace orb {

float aspectRatioValue(int index);
// The first ratio within 0.0001 of width / height (both as floats); 0 when none is.
int aspectRatioIndex(int width, int height);

class SetupDialog
{
public:
    SetupDialog(DemoSettings& settings, std::vector<win::Display> displays);

    // "1: NAME (W x H)", numbered from 1 as the player's --display.
    const std::vector<std::string>& displayLabels() const { return displayLabels_; }
    const std::vector<std::string>& resolutionLabels() const { return resolutionLabels_; }
    static const std::vector<std::string>& aspectLabels();
    static const std::vector<std::string>& multisampleLabels();
    // "-200 ms" to "+200 ms" in steps of 10, and the settings' own offset where it is between.
    const std::vector<std::string>& soundOffsetLabels() const { return soundOffsetLabels_; }

    int display() const { return display_; }
    std::optional<int> resolution() const { return resolution_; }
    int aspect() const { return aspect_; }
    int multisample() const { return multisample_; }
    bool fullscreen() const { return fullscreen_; }
    bool sound() const { return sound_; }
    bool loopDemo() const { return loopDemo_; }
    bool keepDesktopMode() const { return keepDesktopMode_; }
    int soundOffsetChoice() const { return soundOffsetChoice_; }

    // The viewer's changes. Choosing a display lists its modes, selected and ticked as at the
    // start; choosing a resolution moves the aspect box to that mode's ratio.
    void selectDisplay(int index);
    void selectResolution(int index);
    void selectAspect(int index);
    void selectMultisample(int index);
    void setFullscreen(bool on) { fullscreen_ = on; }
    void setSound(bool on) { sound_ = on; }
    void setLoopDemo(bool on) { loopDemo_ = on; }
    void setKeepDesktopMode(bool on) { keepDesktopMode_ = on; }
    void selectSoundOffset(int index);

    // "Imprison": the choices into the settings. Without a resolution chosen, the size stays.
    void confirm();

private:
    // The chosen display's modes, with `size` selected where it is one of them.
    void listModes(DisplayMode size);
    void listSoundOffsets();

    DemoSettings& settings_;
    std::vector<win::Display> displays_;
    std::vector<std::string> displayLabels_;
    int display_ = 0;
    std::vector<std::string> resolutionLabels_;
    std::optional<int> resolution_;
    int aspect_ = 0;
    int multisample_ = 0;
    bool fullscreen_;
    bool sound_;
    bool loopDemo_;
    bool keepDesktopMode_ = false;
    std::vector<int> soundOffsets_; // ms, for each label
    std::vector<std::string> soundOffsetLabels_;
    int soundOffsetChoice_ = 0;
};

enum class DialogShown
{
    Yes,
    No, // its first choices count as confirmed, as they are without a display to show it on
};

// Shows the dialog on the settings: true to play (confirmed, or no dialog could be shown),
// false when the viewer cancelled.
bool runSetupDialog(DemoSettings& settings, DialogShown shown = DialogShown::Yes);

} // namespace orb
