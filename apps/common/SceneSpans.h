#pragma once

// SceneSpans -- the production's scenes as its tools name and time them, taken from the
// timeline: every scene operator (a SceneOperator) on the layers of the scene being played, by
// its type name, in demo time. orb-render's statistics, the preview's strip, status line and
// live values all read them here.
//
//   std::vector<SceneSpan> spans = sceneSpans(*demo.scene(0));
//   const SceneSpan* playing = sceneAt(spans, demo.time());
//   const SceneSpan* drawn = spanOf(spans, op);   // the operator that just ran, if a scene

#include "Scene.h"

#include <optional>
#include <string>
#include <vector>

namespace orb {
class IOperator;
class SceneOperator;
} // namespace orb

namespace orb::app {

struct SceneSpan
{
    std::string name;
    float start;
    float end;
    const SceneOperator* op; // lives as long as the demo it was found in
};

// In order of their starts.
std::vector<SceneSpan> sceneSpans(const Scene& scene);

// The last scene that has started by `time` and not yet ended; null between scenes.
const SceneSpan* sceneAt(const std::vector<SceneSpan>& spans, float time);
// The span of `op`; null when it is not one of the scenes.
const SceneSpan* spanOf(const std::vector<SceneSpan>& spans, const IOperator& op);

// The first start after `time`; none after the last scene's start.
std::optional<float> nextSceneStart(const std::vector<SceneSpan>& spans, float time);
// The last start more than half a second before `time`, so that a second press steps back over
// the scene just started; 0 before the first.
float previousSceneStart(const std::vector<SceneSpan>& spans, float time);

} // namespace orb::app
