#include "Panels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <imgui.h>

namespace orb::preview {

namespace {

// [SECTION] Layout: the strip along the bottom, the values on the right, the costs on the left;
// the side panels stay within the window's outer quarters and the strip within its lowest one.

constexpr float Margin = 8.0f;
constexpr float FrameBudget = 1000.0f / 60.0f;

struct Box
{
    ImVec2 at, size;
};

ImVec2 windowSize()
{
    return ImGui::GetIO().DisplaySize;
}

Box stripBox()
{
    const ImVec2 window = windowSize();
    const float height = std::min(std::clamp(window.y * 0.16f, 64.0f, 140.0f), window.y * 0.25f);
    return {{0.0f, window.y - height}, {std::max(window.x, 1.0f), std::max(height, 1.0f)}};
}

float sideWidth()
{
    return std::max(std::min(320.0f, windowSize().x * 0.25f - Margin), 1.0f);
}

Box valuesBox()
{
    const ImVec2 window = windowSize();
    const float width = sideWidth();
    return {{window.x - width - Margin, Margin}, {width, std::max(stripBox().at.y - 2.0f * Margin, 1.0f)}};
}

Box costsBox()
{
    const float top = windowSize().y * 0.3f; // below the status lines
    return {{Margin, top}, {sideWidth(), std::max(stripBox().at.y - Margin - top, 1.0f)}};
}

constexpr ImGuiWindowFlags Panel = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav;

void beginPanel(const char* name, const Box& box, ImGuiWindowFlags flags = Panel)
{
    ImGui::SetNextWindowPos(box.at);
    ImGui::SetNextWindowSize(box.size);
    ImGui::SetNextWindowBgAlpha(0.65f);
    ImGui::Begin(name, nullptr, flags);
}

// The strip is one window, begun once to read the pointer and again to draw, without padding.
void beginStrip(const Box& box)
{
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {0.0f, 0.0f});
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    beginPanel("##timeline", box, Panel | ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse);
}

void endStrip()
{
    ImGui::End();
    ImGui::PopStyleVar(3);
}

// [SECTION] The strip's parts, from the top: the scenes' band, then the waveform with the bars
// over it; the loop and the playhead cross both.

constexpr float SceneBand = 18.0f;
constexpr ImU32 SceneColours[2] = {IM_COL32(70, 96, 150, 255), IM_COL32(120, 80, 140, 255)};
constexpr ImU32 WaveColour = IM_COL32(150, 200, 230, 200);
constexpr ImU32 BarColour = IM_COL32(255, 255, 255, 35);
constexpr ImU32 PhraseColour = IM_COL32(255, 255, 255, 110);
constexpr ImU32 LoopColour = IM_COL32(255, 210, 60, 50);
constexpr ImU32 LoopEdgeColour = IM_COL32(255, 210, 60, 220);
constexpr ImU32 PlayheadColour = IM_COL32(255, 70, 60, 255);
constexpr ImU32 TextColour = IM_COL32(235, 235, 235, 255);

struct StripGeometry
{
    const Box& box;
    const TimelineView& view;
    float x(float time) const { return box.at.x + view.xOf(time, box.size.x); }
    float top() const { return box.at.y; }
    float bottom() const { return box.at.y + box.size.y; }
    float right() const { return box.at.x + box.size.x; }
};

void drawScenes(ImDrawList& draw, const StripGeometry& strip, const std::vector<SceneSpan>& scenes)
{
    const float bandBottom = strip.top() + SceneBand;
    for (std::size_t index = 0; index < scenes.size(); ++index) {
        const SceneSpan& scene = scenes[index];
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

void drawWaveform(ImDrawList& draw, const StripGeometry& strip, const Waveform& waveform,
                  const std::string& error)
{
    const float top = strip.top() + SceneBand;
    if (!error.empty()) {
        draw.AddText({strip.box.at.x + 8.0f, top + 8.0f}, TextColour, ("no waveform: " + error).c_str());
        return;
    }
    const float middle = (top + strip.bottom()) / 2.0f;
    const float half = (strip.bottom() - top) / 2.0f - 2.0f;
    const int count = static_cast<int>(strip.box.size.x);
    const std::vector<Waveform::Column> columns = waveform.columns(strip.view.from(), strip.view.to(), count);
    for (int column = 0; column < count; ++column) {
        const Waveform::Column& extreme = columns[static_cast<std::size_t>(column)];
        const float x = strip.box.at.x + static_cast<float>(column) + 0.5f;
        draw.AddLine({x, middle - extreme.high * half}, {x, middle - extreme.low * half + 1.0f}, WaveColour);
    }
}

void drawBars(ImDrawList& draw, const StripGeometry& strip)
{
    constexpr int BarsPerPhrase = 4;
    const float bar = barTime(1);
    const auto first = static_cast<int>(std::ceil(strip.view.from() / bar));
    const auto last = static_cast<int>(std::floor(strip.view.to() / bar));
    for (int index = first; index <= last; ++index) {
        const float x = std::round(strip.x(static_cast<float>(index) * bar)) + 0.5f;
        const bool phrase = index % BarsPerPhrase == 0;
        draw.AddLine({x, strip.top() + SceneBand}, {x, strip.bottom()}, phrase ? PhraseColour : BarColour);
        if (phrase)
            draw.AddText({x + 3.0f, strip.top() + SceneBand + 1.0f}, PhraseColour,
                         std::to_string(index + 1).c_str());
    }
}

void drawLoop(ImDrawList& draw, const StripGeometry& strip, const Loop& loop)
{
    const float start = strip.x(loop.start);
    draw.AddLine({start, strip.top()}, {start, strip.bottom()}, LoopEdgeColour, 2.0f);
    if (!loop.end)
        return;
    const float end = strip.x(*loop.end);
    draw.AddRectFilled({start, strip.top()}, {end, strip.bottom()}, LoopColour);
    draw.AddLine({end, strip.top()}, {end, strip.bottom()}, LoopEdgeColour, 2.0f);
}

void drawPlayhead(ImDrawList& draw, const StripGeometry& strip, float time)
{
    const float x = std::round(strip.x(time)) + 0.5f;
    draw.AddLine({x, strip.top()}, {x, strip.bottom()}, PlayheadColour, 2.0f);
}

void showTimeUnderPointer(const StripGeometry& strip)
{
    const ImVec2 pointer = ImGui::GetIO().MousePos;
    if (!ImGui::IsMouseHoveringRect(strip.box.at, {strip.right(), strip.bottom()}))
        return;
    const float time = strip.view.timeAt(pointer.x - strip.box.at.x, strip.box.size.x);
    const BarAndBeat position = barAndBeatAt(time);
    ImGui::SetTooltip("%.2f s   bar %d   beat %d", static_cast<double>(time), position.bar, position.beat);
}

// [SECTION] Values and costs.

void showValue(const NamedValue& value)
{
    constexpr std::size_t RowLength = 4;
    for (std::size_t row = 0; row * RowLength < value.floats.size(); ++row) {
        std::string line = row == 0 ? value.name : "";
        line.resize(10, ' ');
        const std::size_t end = std::min(value.floats.size(), (row + 1) * RowLength);
        for (std::size_t index = row * RowLength; index < end; ++index) {
            char number[24];
            std::snprintf(number, sizeof number, " %7.3f", static_cast<double>(value.floats[index]));
            line += number;
        }
        ImGui::TextUnformatted(line.c_str());
    }
}

const ImVec4 HeadingColour{1.0f, 0.85f, 0.45f, 1.0f};

// The bar is the GL query's time against a frame's budget, the text both times.
void costBar(const PassCosts::Cost& cost)
{
    char label[48];
    std::snprintf(label, sizeof label, "%.2f | %.2f", cost.glMilliseconds, cost.clockMilliseconds);
    const bool over = cost.glMilliseconds > FrameBudget;
    ImGui::PushStyleColor(ImGuiCol_PlotHistogram,
                          over ? ImVec4{0.9f, 0.3f, 0.25f, 1.0f} : ImVec4{0.35f, 0.7f, 0.4f, 1.0f});
    ImGui::ProgressBar(static_cast<float>(cost.glMilliseconds / FrameBudget), {-1.0f, 0.0f}, label);
    ImGui::PopStyleColor();
}

} // namespace

StripGesture interactWithStrip(TimelineView& view)
{
    const Box box = stripBox();
    StripGesture gesture;
    beginStrip(box);
    ImGui::SetCursorScreenPos(box.at);
    ImGui::InvisibleButton("strip", box.size);
    const ImGuiIO& io = ImGui::GetIO();
    const float x = io.MousePos.x - box.at.x;
    if (ImGui::IsItemActive())
        gesture.heldAt = view.timeAt(x, box.size.x);
    if (ImGui::IsItemDeactivated())
        gesture.releasedAt = view.timeAt(x, box.size.x);
    if (ImGui::IsItemHovered() && io.MouseWheel != 0.0f)
        view.zoom(io.MouseWheel, x, box.size.x);
    endStrip();
    return gesture;
}

void drawStrip(const StripContents& contents)
{
    const Box box = stripBox();
    beginStrip(box);
    ImDrawList& draw = *ImGui::GetWindowDrawList();
    const StripGeometry strip{box, contents.view};
    drawScenes(draw, strip, contents.scenes);
    drawWaveform(draw, strip, contents.waveform, contents.waveformError);
    drawBars(draw, strip);
    if (contents.loop)
        drawLoop(draw, strip, *contents.loop);
    drawPlayhead(draw, strip, contents.playhead);
    showTimeUnderPointer(strip);
    endStrip();
}

void drawValues(const std::string& scene, const std::vector<EffectValues>& values)
{
    beginPanel("##values", valuesBox());
    ImGui::TextColored(HeadingColour, "%s", scene.empty() ? "no scene" : scene.c_str());
    for (const EffectValues& effect : values) {
        ImGui::Separator();
        ImGui::TextColored(HeadingColour, "%s", effect.effect.c_str());
        for (const NamedValue& value : effect.values)
            showValue(value);
    }
    ImGui::End();
}

void drawCosts(const PassCosts& costs)
{
    beginPanel("##costs", costsBox());
    ImGui::TextColored(HeadingColour, "ms a pass, GL query | clock");
    const float barsFrom = ImGui::GetContentRegionAvail().x * 0.5f;
    for (const PassCosts::Cost& pass : costs.passes()) {
        ImGui::TextUnformatted(pass.label.c_str());
        ImGui::SameLine(barsFrom);
        costBar(pass);
    }
    ImGui::Separator();
    ImGui::Text("frame, of %.1f ms", static_cast<double>(FrameBudget));
    ImGui::SameLine(barsFrom);
    costBar(costs.frameTotal());
    ImGui::End();
}

} // namespace orb::preview
