#include "SetupDialog.h"

#include "platform/win/DialogView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace orb {

namespace {

struct Ratio
{
    unsigned numerator;
    unsigned denominator;
};

constexpr Ratio AspectRatios[14] = {{2, 1}, {3, 2}, {4, 3}, {5, 4}, {16, 9}, {16, 10}, {21, 9},
                                    {1, 2}, {2, 3}, {3, 4}, {4, 5}, {9, 16}, {10, 16}, {9, 21}};
constexpr int MultisampleEntries = 17;
constexpr int BytesPerPixelOf32Bits = 4;
constexpr int MaxListedSoundOffset = 200;
constexpr int SoundOffsetStep = 10;

std::string formatted(const char* format, int a, int b)
{
    char text[500];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

float aspectRatioValue(int index)
{
    const Ratio& ratio = AspectRatios[index];
    return static_cast<float>(ratio.numerator) / static_cast<float>(ratio.denominator);
}

int aspectRatioIndex(int width, int height)
{
    const float ratio = static_cast<float>(width) / static_cast<float>(height);
    for (int index = 0; index < 14; ++index) {
        if (std::fabs(aspectRatioValue(index) - ratio) < 0.0001f)
            return index;
    }
    return 0;
}

const std::vector<std::string>& SetupDialog::aspectLabels()
{
    static const std::vector<std::string> labels = [] {
        std::vector<std::string> all;
        for (const Ratio& ratio : AspectRatios)
            all.push_back(
                formatted("%d:%d", static_cast<int>(ratio.numerator), static_cast<int>(ratio.denominator)));
        return all;
    }();
    return labels;
}

const std::vector<std::string>& SetupDialog::multisampleLabels()
{
    static const std::vector<std::string> labels = [] {
        std::vector<std::string> all = {"None", "Non Maskable"};
        for (int samples = 2; samples < MultisampleEntries; ++samples)
            all.push_back(formatted("%dx", samples, 0));
        return all;
    }();
    return labels;
}

SetupDialog::SetupDialog(DemoSettings& settings, std::vector<win::Display> displays)
    : settings_(settings), displays_(std::move(displays)), fullscreen_(settings.fullscreen != 0),
      sound_(settings.sound != 0), loopDemo_(settings.loopDemo != 0)
{
    for (std::size_t index = 0; index < displays_.size(); ++index) {
        const win::Display& display = displays_[index];
        displayLabels_.push_back(std::to_string(index + 1) + ": " + display.name + " (" +
                                 formatted("%d x %d", display.width, display.height) + ")");
    }
    const bool listed = settings_.display >= 0 && settings_.display < static_cast<int>(displays_.size());
    display_ = listed ? settings_.display : 0;
    listModes({settings_.width, settings_.height});
    aspect_ = aspectRatioIndex(settings_.width, settings_.height);
    selectMultisample(settings_.multisampleType);
    listSoundOffsets();
}

void SetupDialog::listSoundOffsets()
{
    for (int offset = -MaxListedSoundOffset; offset <= MaxListedSoundOffset; offset += SoundOffsetStep) {
        if (offset - SoundOffsetStep < settings_.soundOffset && settings_.soundOffset < offset)
            soundOffsets_.push_back(settings_.soundOffset);
        soundOffsets_.push_back(offset);
    }
    if (std::find(soundOffsets_.begin(), soundOffsets_.end(), settings_.soundOffset) == soundOffsets_.end())
        soundOffsets_.insert(settings_.soundOffset < 0 ? soundOffsets_.begin() : soundOffsets_.end(),
                             settings_.soundOffset);
    for (const int offset : soundOffsets_)
        soundOffsetLabels_.push_back(formatted(offset > 0 ? "+%d ms" : "%d ms", offset, 0));
    soundOffsetChoice_ = static_cast<int>(
        std::find(soundOffsets_.begin(), soundOffsets_.end(), settings_.soundOffset) - soundOffsets_.begin());
}

void SetupDialog::selectSoundOffset(int index)
{
    if (index >= 0 && index < static_cast<int>(soundOffsets_.size()))
        soundOffsetChoice_ = index;
}

void SetupDialog::listModes(DisplayMode size)
{
    settings_.displayModes.clear();
    resolutionLabels_.clear();
    resolution_.reset();
    const std::vector<win::DisplayMode> none;
    const std::vector<win::DisplayMode>& modes =
        displays_.empty() ? none : displays_[static_cast<std::size_t>(display_)].modes;
    for (const win::DisplayMode& mode : modes) {
        if (mode.bytesPerPixel != BytesPerPixelOf32Bits)
            continue;
        if (!settings_.displayModes.empty() && settings_.displayModes.back().width == mode.width &&
            settings_.displayModes.back().height == mode.height)
            continue;
        settings_.displayModes.push_back({mode.width, mode.height});
        resolutionLabels_.push_back(formatted("%d x %d", mode.width, mode.height));
    }
    // The last entry of the size ends up selected, as one selection after another would.
    for (std::size_t index = 0; index < settings_.displayModes.size(); ++index) {
        if (settings_.displayModes[index].width == size.width &&
            settings_.displayModes[index].height == size.height)
            resolution_ = static_cast<int>(index);
    }
    // A mode the display does not have, or any on a display that switches none, cannot be
    // switched to: the desktop's is kept instead.
    const bool switches = !displays_.empty() && displays_[static_cast<std::size_t>(display_)].switchesModes;
    keepDesktopMode_ = settings_.keepDesktopMode != 0 || !resolution_ || !switches;
}

void SetupDialog::selectDisplay(int index)
{
    if (index < 0 || index >= static_cast<int>(displays_.size()))
        return;
    const DisplayMode size = resolution_ ? settings_.displayModes[static_cast<std::size_t>(*resolution_)]
                                         : DisplayMode{settings_.width, settings_.height};
    display_ = index;
    listModes(size);
}

void SetupDialog::selectResolution(int index)
{
    if (index < 0 || index >= static_cast<int>(settings_.displayModes.size()))
        return;
    resolution_ = index;
    const DisplayMode& mode = settings_.displayModes[static_cast<std::size_t>(index)];
    aspect_ = aspectRatioIndex(mode.width, mode.height);
}

void SetupDialog::selectAspect(int index)
{
    if (index >= 0 && index < 14)
        aspect_ = index;
}

void SetupDialog::selectMultisample(int index)
{
    if (index >= 0 && index < MultisampleEntries)
        multisample_ = index;
}

void SetupDialog::confirm()
{
    if (resolution_) {
        const DisplayMode& mode = settings_.displayModes[static_cast<std::size_t>(*resolution_)];
        settings_.width = mode.width;
        settings_.height = mode.height;
    }
    settings_.aspectRatio = aspectRatioValue(aspect_);
    settings_.multisampleType = multisample_;
    settings_.fullscreen = fullscreen_ ? 1 : 0;
    settings_.sound = sound_ ? 1 : 0;
    settings_.loopDemo = loopDemo_ ? 1 : 0;
    settings_.display = display_;
    settings_.keepDesktopMode = keepDesktopMode_ ? 1 : 0;
    settings_.soundOffset = soundOffsets_[static_cast<std::size_t>(soundOffsetChoice_)];
}

} // namespace orb

namespace orb {

namespace {

enum Row
{
    ResolutionRow,
    AspectRow,
    MultisampleRow,
    FullscreenRow,
    SoundRow,
    LoopRow,
    DisplayRow,
    KeepDesktopModeRow,
    SoundOffsetRow,
};

// The template's 168 x 111 dialog units at Tahoma 8's 1.5 x 1.625 pixels per unit.
constexpr int DialogWidth = 252;
constexpr int DialogHeight = 180;

win::DialogForm formOf(const SetupDialog& dialog)
{
    win::DialogForm form;
    form.title = "Vantor Demo Setup";
    form.rows = {
        {"Resolution:", dialog.resolutionLabels(), dialog.resolution().value_or(-1), false},
        {"Aspect Ratio:", SetupDialog::aspectLabels(), dialog.aspect(), false},
        {"Multisamples:", SetupDialog::multisampleLabels(), dialog.multisample(), false},
        {"Fullscreen:", {}, -1, dialog.fullscreen()},
        {"Sound:", {}, -1, dialog.sound()},
        {"Loop Demo:", {}, -1, dialog.loopDemo()},
        {"Display:", dialog.displayLabels(), dialog.display(), false},
        {"Keep Desktop Mode:", {}, -1, dialog.keepDesktopMode()},
        {"Sound Offset:", dialog.soundOffsetLabels(), dialog.soundOffsetChoice(), false},
    };
    form.confirm = "Imprison";
    form.cancel = "Release";
    form.width = DialogWidth;
    form.height = DialogHeight;
    // The template's order: resolution, full screen, aspect, sound, loop, multisamples; then the
    // rows the template did not have.
    form.focusOrder = {ResolutionRow,  FullscreenRow, AspectRow,          SoundRow,      LoopRow,
                       MultisampleRow, DisplayRow,    KeepDesktopModeRow, SoundOffsetRow};
    return form;
}

void showDisplay(const SetupDialog& dialog, win::DialogForm& shown)
{
    shown.rows[ResolutionRow].choices = dialog.resolutionLabels();
    shown.rows[ResolutionRow].selected = dialog.resolution().value_or(-1);
    shown.rows[KeepDesktopModeRow].checked = dialog.keepDesktopMode();
}

} // namespace

bool runSetupDialog(DemoSettings& settings, DialogShown shown)
{
    SetupDialog dialog(settings, win::displays());
    if (shown == DialogShown::No) {
        // Only a shown dialog can offer another display for one that is not there; unseen, the
        // window fails on it and says so.
        const int asked = settings.display;
        dialog.confirm();
        settings.display = asked;
        return true;
    }
    win::DialogForm form = formOf(dialog);
    const win::DialogResult result = win::runDialog(form, [&dialog](win::DialogForm& picked, int row) {
        if (row == DisplayRow) {
            dialog.selectDisplay(picked.rows[DisplayRow].selected);
            showDisplay(dialog, picked);
        }
        if (row == ResolutionRow) {
            dialog.selectResolution(picked.rows[ResolutionRow].selected);
            picked.rows[AspectRow].selected = dialog.aspect();
        }
    });
    if (result == win::DialogResult::Unavailable)
        return true; // as a dialog that cannot be created: the defaults count as confirmed
    if (result == win::DialogResult::Cancelled)
        return false;
    dialog.selectDisplay(form.rows[DisplayRow].selected);
    dialog.selectResolution(form.rows[ResolutionRow].selected);
    dialog.selectAspect(form.rows[AspectRow].selected);
    dialog.selectMultisample(form.rows[MultisampleRow].selected);
    dialog.setFullscreen(form.rows[FullscreenRow].checked);
    dialog.setSound(form.rows[SoundRow].checked);
    dialog.setLoopDemo(form.rows[LoopRow].checked);
    dialog.setKeepDesktopMode(form.rows[KeepDesktopModeRow].checked);
    dialog.selectSoundOffset(form.rows[SoundOffsetRow].selected);
    dialog.confirm();
    return true;
}

} // namespace orb
