#pragma once

// ValuesPanel -- down the window's right side, the values the frame's effects drew with: the
// playing scene's effect, then the post-processing chain's, four numbers a row.

#include "Panel.h"
#include "PanelLayout.h"

#include <algorithm>
#include <cstdio>

namespace orb::preview {

class ValuesPanel final : public Panel
{
public:
    void drawInWindow(const FrameSnapshot& frame) override
    {
        beginPanel("##values", valuesBox());
        ImGui::TextColored(HeadingColour, "%s", frame.scene.empty() ? "no scene" : frame.scene.c_str());
        for (const EffectValues& effect : frame.values) {
            ImGui::Separator();
            ImGui::TextColored(HeadingColour, "%s", effect.effect.c_str());
            for (const NamedValue& value : effect.values)
                show(value);
        }
        ImGui::End();
    }

private:
    static void show(const NamedValue& value)
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
};

} // namespace orb::preview
