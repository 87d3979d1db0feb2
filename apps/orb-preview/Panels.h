#pragma once

// Panels -- what the preview draws over its window with Dear ImGui: the timeline strip along the
// bottom (the scenes, the bars, the music's waveform, the loop and the playhead), the values the
// frame was drawn with down the right side and what its passes cost down the left. Between them
// the picture's middle stays clear whatever the window's size.
//
// Does: lay the panels out for the window's size, read the pointer on the strip (a press holds
//       the playhead there, a release lets it go, the wheel zooms), draw what it is given.
// Does not: seek or keep any state of its own; the preview acts on what the strip reports.
//
//   StripGesture gesture = interactWithStrip(view);   // after ImGui's NewFrame
//   ... the demo draws its frame ...
//   drawStrip(strip);  drawValues(values);  drawCosts(costs);   // before ImGui's Render

#include "LiveValues.h"
#include "PassCosts.h"
#include "SceneSpans.h"
#include "Tempo.h"
#include "TimelineView.h"
#include "Waveform.h"

#include <optional>
#include <string>
#include <vector>

namespace orb::preview {

using app::nextSceneStart;
using app::previousSceneStart;
using app::SceneSpan;
using app::sceneAt;
using app::sceneSpans;

struct StripGesture
{
    std::optional<float> heldAt;     // the button is down over the strip (or was pressed on it)
    std::optional<float> releasedAt; // the button came up after a press on the strip
};

StripGesture interactWithStrip(TimelineView& view);

struct Loop
{
    float start;
    std::optional<float> end; // none while only its start is marked
};

struct StripContents
{
    const TimelineView& view;
    const std::vector<SceneSpan>& scenes;
    const Waveform& waveform;
    const std::string& waveformError; // shown instead of the waveform
    float playhead;
    std::optional<Loop> loop;
};

void drawStrip(const StripContents& strip);
void drawValues(const std::string& scene, const std::vector<EffectValues>& values);
void drawCosts(const PassCosts& costs);

} // namespace orb::preview
