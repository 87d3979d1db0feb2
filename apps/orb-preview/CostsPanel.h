#pragma once

// CostsPanel -- down the window's left side, what each pass of the last second's frames cost:
// a bar of its GL query's time against a 60 Hz frame, and both its times as text.

#include "Panel.h"
#include "PanelLayout.h"

#include <cstdio>

namespace orb::preview {

class CostsPanel final : public Panel
{
public:
    void drawInWindow(const FrameSnapshot& frame) override
    {
        beginPanel("##costs", costsBox());
        ImGui::TextColored(HeadingColour, "ms a pass, GL query | clock");
        const float barsFrom = ImGui::GetContentRegionAvail().x * 0.5f;
        for (const app::PassTally::Cost& pass : frame.costs->passes()) {
            ImGui::TextUnformatted(pass.label.c_str());
            ImGui::SameLine(barsFrom);
            costBar(pass);
        }
        ImGui::Separator();
        ImGui::Text("frame, of %.1f ms", static_cast<double>(FrameBudget));
        ImGui::SameLine(barsFrom);
        costBar(frame.costs->frameTotal());
        ImGui::End();
    }

private:
    static constexpr float FrameBudget = 1000.0f / 60.0f;

    static void costBar(const app::PassTally::Cost& cost)
    {
        char label[48];
        std::snprintf(label, sizeof label, "%.2f | %.2f", cost.glMilliseconds, cost.clockMilliseconds);
        const bool over = cost.glMilliseconds > FrameBudget;
        ImGui::PushStyleColor(ImGuiCol_PlotHistogram,
                              over ? ImVec4{0.9f, 0.3f, 0.25f, 1.0f} : ImVec4{0.35f, 0.7f, 0.4f, 1.0f});
        ImGui::ProgressBar(static_cast<float>(cost.glMilliseconds / FrameBudget), {-1.0f, 0.0f}, label);
        ImGui::PopStyleColor();
    }
};

} // namespace orb::preview
