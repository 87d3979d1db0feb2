#pragma once

// Panels -- every panel the preview shows, in the order they draw: the overlay on the demo's
// picture, then the timeline strip, the values and the costs over the window.
//
//   std::vector<std::unique_ptr<Panel>> panels = makePanels(demo, 1280, 720);

#include "Panel.h"

#include <memory>
#include <vector>

namespace orb::preview {

// `width` and `height` are the demo's frame's.
std::vector<std::unique_ptr<Panel>> makePanels(const DemoSystem& demo, int width, int height);

} // namespace orb::preview
