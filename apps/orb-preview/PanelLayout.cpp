#include "PanelLayout.h"

#include <algorithm>

namespace orb::preview {

namespace {

constexpr float Margin = 8.0f;

ImVec2 windowSize()
{
    return ImGui::GetIO().DisplaySize;
}

float sideWidth()
{
    return std::max(std::min(320.0f, windowSize().x * 0.25f - Margin), 1.0f);
}

} // namespace

Box stripBox()
{
    const ImVec2 window = windowSize();
    const float height = std::min(std::clamp(window.y * 0.16f, 64.0f, 140.0f), window.y * 0.25f);
    return {{0.0f, window.y - height}, {std::max(window.x, 1.0f), std::max(height, 1.0f)}};
}

Box valuesBox()
{
    const ImVec2 window = windowSize();
    const float width = sideWidth();
    return {{window.x - width - Margin, Margin}, {width, std::max(stripBox().at.y - 2.0f * Margin, 1.0f)}};
}

Box costsBox()
{
    const float top = windowSize().y * 0.3f;
    return {{Margin, top}, {sideWidth(), std::max(stripBox().at.y - Margin - top, 1.0f)}};
}

void beginPanel(const char* name, const Box& box, ImGuiWindowFlags extraFlags)
{
    constexpr ImGuiWindowFlags Panel = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                       ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                                       ImGuiWindowFlags_NoSavedSettings |
                                       ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav;
    ImGui::SetNextWindowPos(box.at);
    ImGui::SetNextWindowSize(box.size);
    ImGui::SetNextWindowBgAlpha(0.65f);
    ImGui::Begin(name, nullptr, Panel | extraFlags);
}

} // namespace orb::preview
