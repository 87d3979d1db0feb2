#include "SceneSpans.h"

#include "Operators/SceneOperator.h"

#include <algorithm>

namespace orb::app {

std::vector<SceneSpan> sceneSpans(const Scene& scene)
{
    std::vector<SceneSpan> spans;
    for (const auto& layer : scene.layers()) {
        for (const IOperator* op : layer->children()) {
            if (const auto* drawn = dynamic_cast<const SceneOperator*>(op))
                spans.push_back(
                    {op->typeName(), layer->start() + op->start(), layer->start() + op->end(), drawn});
        }
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

const SceneSpan* spanOf(const std::vector<SceneSpan>& spans, const IOperator& op)
{
    const auto found =
        std::find_if(spans.begin(), spans.end(), [&op](const SceneSpan& span) { return span.op == &op; });
    return found != spans.end() ? &*found : nullptr;
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

} // namespace orb::app
