#pragma once

// StripPanel -- the timeline strip along the window's bottom: the scenes as labelled blocks, the
// music's waveform with the bars over it (every fourth numbered), the loop and the playhead.
// A press holds the transport at the time under the pointer, a release lets it go there, the
// wheel zooms around the pointer; while the demo plays past the span shown, the span turns on.

#include "Panel.h"
#include "PanelLayout.h"
#include "TimelineView.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orb::preview {

class StripPanel final : public Panel
{
public:
    const TimelineView& view() const { return view_; }

    void interact(Transport& transport) override
    {
        if (view_.length() != transport.length())
            view_.setLength(transport.length());
        const Box box = stripBox();
        begin(box);
        ImGui::SetCursorScreenPos(box.at);
        ImGui::InvisibleButton("strip", box.size);
        const ImGuiIO& io = ImGui::GetIO();
        const float x = io.MousePos.x - box.at.x;
        if (ImGui::IsItemDeactivated())
            transport.release(view_.timeAt(x, box.size.x));
        else if (ImGui::IsItemActive())
            transport.hold(view_.timeAt(x, box.size.x));
        if (ImGui::IsItemHovered() && io.MouseWheel != 0.0f)
            view_.zoom(io.MouseWheel, x, box.size.x);
        end();
    }

    void drawInWindow(const FrameSnapshot& frame) override
    {
        if (!frame.held)
            view_.follow(frame.time);
        const Box box = stripBox();
        begin(box);
        ImDrawList& draw = *ImGui::GetWindowDrawList();
        const Geometry strip{box, view_};
        drawScenes(draw, strip, *frame.scenes);
        drawWaveform(draw, strip, *frame.waveform);
        drawBars(draw, strip);
        if (frame.loop)
            drawLoop(draw, strip, *frame.loop);
        drawPlayhead(draw, strip, frame.time);
        showTimeUnderPointer(strip);
        end();
    }

private:
    // From the top: the scenes' band, then the waveform with the bars over it; the loop and the
    // playhead cross both.
    static constexpr float SceneBand = 18.0f;
    static constexpr ImU32 SceneColours[2] = {IM_COL32(70, 96, 150, 255), IM_COL32(120, 80, 140, 255)};
    static constexpr ImU32 WaveColour = IM_COL32(150, 200, 230, 200);
    static constexpr ImU32 BarColour = IM_COL32(255, 255, 255, 35);
    static constexpr ImU32 PhraseColour = IM_COL32(255, 255, 255, 110);
    static constexpr ImU32 LoopColour = IM_COL32(255, 210, 60, 50);
    static constexpr ImU32 LoopEdgeColour = IM_COL32(255, 210, 60, 220);
    static constexpr ImU32 PlayheadColour = IM_COL32(255, 70, 60, 255);
    static constexpr ImU32 TextColour = IM_COL32(235, 235, 235, 255);

    struct Geometry
    {
        const Box& box;
        const TimelineView& view;
        float x(float time) const { return box.at.x + view.xOf(time, box.size.x); }
        float top() const { return box.at.y; }
        float bottom() const { return box.at.y + box.size.y; }
        float right() const { return box.at.x + box.size.x; }
    };

    // One window, begun once to read the pointer and again to draw, without padding.
    static void begin(const Box& box)
    {
        ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {0.0f, 0.0f});
        ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);
        ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
        beginPanel("##timeline", box, ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
    }

    static void end()
    {
        ImGui::End();
        ImGui::PopStyleVar(3);
    }

    static void drawScenes(ImDrawList& draw, const Geometry& strip, const std::vector<app::SceneSpan>& scenes)
    {
        const float bandBottom = strip.top() + SceneBand;
        for (std::size_t index = 0; index < scenes.size(); ++index) {
            const app::SceneSpan& scene = scenes[index];
            const ImVec2 from{std::max(strip.x(scene.start), strip.box.at.x), strip.top()};
            const ImVec2 to{std::min(strip.x(scene.end), strip.right()), bandBottom};
            if (to.x <= from.x)
                continue;
            draw.AddRectFilled(from, to, SceneColours[index % 2]);
            draw.PushClipRect(from, to, true);
            draw.AddText({from.x + 4.0f, from.y + 2.0f}, TextColour, scene.name.c_str());
            draw.PopClipRect();
        }
    }

    static void drawWaveform(ImDrawList& draw, const Geometry& strip, const Waveform& waveform)
    {
        const float top = strip.top() + SceneBand;
        const float middle = (top + strip.bottom()) / 2.0f;
        const float half = (strip.bottom() - top) / 2.0f - 2.0f;
        const int count = static_cast<int>(strip.box.size.x);
        const std::vector<Waveform::Column> columns =
            waveform.columns(strip.view.from(), strip.view.to(), count);
        for (int column = 0; column < count; ++column) {
            const Waveform::Column& extreme = columns[static_cast<std::size_t>(column)];
            const float x = strip.box.at.x + static_cast<float>(column) + 0.5f;
            draw.AddLine({x, middle - extreme.high * half}, {x, middle - extreme.low * half + 1.0f},
                         WaveColour);
        }
    }

    static void drawBars(ImDrawList& draw, const Geometry& strip)
    {
        constexpr int BarsPerPhrase = 4;
        const float bar = barTime(1);
        const auto first = static_cast<int>(std::ceil(strip.view.from() / bar));
        const auto last = static_cast<int>(std::floor(strip.view.to() / bar));
        for (int index = first; index <= last; ++index) {
            const float x = std::round(strip.x(static_cast<float>(index) * bar)) + 0.5f;
            const bool phrase = index % BarsPerPhrase == 0;
            draw.AddLine({x, strip.top() + SceneBand}, {x, strip.bottom()},
                         phrase ? PhraseColour : BarColour);
            if (phrase)
                draw.AddText({x + 3.0f, strip.top() + SceneBand + 1.0f}, PhraseColour,
                             std::to_string(index + 1).c_str());
        }
    }

    static void drawLoop(ImDrawList& draw, const Geometry& strip, const Loop& loop)
    {
        const float start = strip.x(loop.start);
        draw.AddLine({start, strip.top()}, {start, strip.bottom()}, LoopEdgeColour, 2.0f);
        if (!loop.end)
            return;
        const float end = strip.x(*loop.end);
        draw.AddRectFilled({start, strip.top()}, {end, strip.bottom()}, LoopColour);
        draw.AddLine({end, strip.top()}, {end, strip.bottom()}, LoopEdgeColour, 2.0f);
    }

    static void drawPlayhead(ImDrawList& draw, const Geometry& strip, float time)
    {
        const float x = std::round(strip.x(time)) + 0.5f;
        draw.AddLine({x, strip.top()}, {x, strip.bottom()}, PlayheadColour, 2.0f);
    }

    static void showTimeUnderPointer(const Geometry& strip)
    {
        if (!ImGui::IsMouseHoveringRect(strip.box.at, {strip.right(), strip.bottom()}))
            return;
        const float time = strip.view.timeAt(ImGui::GetIO().MousePos.x - strip.box.at.x, strip.box.size.x);
        const BarAndBeat position = barAndBeatAt(time);
        ImGui::SetTooltip("%.2f s   bar %d   beat %d", static_cast<double>(time), position.bar,
                          position.beat);
    }

    TimelineView view_;
};

} // namespace orb::preview
