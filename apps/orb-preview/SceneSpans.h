#pragma once

// SceneSpans -- the production's timeline as its authors step through it: the scenes (the
// operators on the layers of the scene being played) in demo time, and the bar and beat of a
// moment at the production's tempo.
//
//   std::vector<SceneSpan> spans = sceneSpans(*demo.scene(0));
//   const SceneSpan* playing = sceneAt(spans, demo.time());
//   float next = nextSceneStart(spans, demo.time());

#include "Scene.h"

#include <optional>
#include <string>
#include <vector>

namespace orb::preview {

struct SceneSpan
{
    std::string name;
    float start;
    float end;
    const IOperator* op; // lives as long as the demo it was found in
};

// In order of their starts.
std::vector<SceneSpan> sceneSpans(const Scene& scene);

// The last scene that has started by `time` and not yet ended; null between scenes.
const SceneSpan* sceneAt(const std::vector<SceneSpan>& spans, float time);

// The first start after `time`; none after the last scene's start.
std::optional<float> nextSceneStart(const std::vector<SceneSpan>& spans, float time);
// The last start more than half a second before `time`, so that a second press steps back over
// the scene just started; 0 before the first.
float previousSceneStart(const std::vector<SceneSpan>& spans, float time);

float barSeconds();

struct BarAndBeat
{
    int bar;  // from 1 at the demo's start
    int beat; // 1 to 4
};

BarAndBeat barAndBeatAt(float time);

} // namespace orb::preview
