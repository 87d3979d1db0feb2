#include "SceneSpans.h"

#include "Operators/IOperator.h"
#include "Operators/SceneShared.h"

#include <algorithm>
#include <cmath>

namespace orb::preview {

std::vector<SceneSpan> sceneSpans(const Scene& scene)
{
    std::vector<SceneSpan> spans;
    for (const auto& layer : scene.layers()) {
        for (const IOperator* op : layer->children())
            spans.push_back({op->typeName(), layer->start() + op->start(), layer->start() + op->end(), op});
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const SceneSpan& a, const SceneSpan& b) { return a.start < b.start; });
    return spans;
}

const SceneSpan* sceneAt(const std::vector<SceneSpan>& spans, float time)
{
    const auto playing = std::find_if(spans.rbegin(), spans.rend(), [time](const SceneSpan& span) {
        return span.start <= time && time < span.end;
    });
    return playing != spans.rend() ? &*playing : nullptr;
}

std::optional<float> nextSceneStart(const std::vector<SceneSpan>& spans, float time)
{
    const auto next =
        std::find_if(spans.begin(), spans.end(), [time](const SceneSpan& span) { return span.start > time; });
    return next != spans.end() ? std::optional<float>(next->start) : std::nullopt;
}

float previousSceneStart(const std::vector<SceneSpan>& spans, float time)
{
    constexpr float Grace = 0.5f;
    float previous = 0.0f;
    for (const SceneSpan& span : spans) {
        if (span.start < time - Grace)
            previous = std::max(previous, span.start);
    }
    return previous;
}

float barSeconds()
{
    return static_cast<float>(60.0 * BeatsPerBar / BeatsPerMinute);
}

BarAndBeat barAndBeatAt(float time)
{
    // The script's times are bars rounded to 0.1 ms, a little early: within 4 ms of a beat is on it.
    constexpr double Tolerance = 0.01;
    const auto beats = static_cast<int>(std::floor(std::max(time, 0.0f) * BeatsPerMinute / 60.0 + Tolerance));
    return {beats / BeatsPerBar + 1, beats % BeatsPerBar + 1};
}

} // namespace orb::preview
