#pragma once

// PanelLayout -- where the ImGui panels sit in the window, whatever its size: the strip along the
// bottom (its lowest quarter at most), the side panels in its outer quarters, so that the
// picture's middle is never covered; and the look they share.
//
//   beginPanel("##values", valuesBox());  ... ImGui widgets ...  ImGui::End();

#include <imgui.h>

namespace orb::preview {

struct Box
{
    ImVec2 at, size;
};

Box stripBox();
Box valuesBox(); // down the right side
Box costsBox();  // down the left side, below the status lines

// A panel's window at `box`: no title bar, fixed, see-through.
void beginPanel(const char* name, const Box& box, ImGuiWindowFlags extraFlags = 0);

inline const ImVec4 HeadingColour{1.0f, 0.85f, 0.45f, 1.0f};

} // namespace orb::preview
