#include "Panels.h"

#include "CostsPanel.h"
#include "OverlayPanel.h"
#include "StripPanel.h"
#include "ValuesPanel.h"

namespace orb::preview {

std::vector<std::unique_ptr<Panel>> makePanels(const DemoSystem& demo, int width, int height)
{
    std::vector<std::unique_ptr<Panel>> panels;
    panels.push_back(std::make_unique<OverlayPanel>(demo, width, height));
    panels.push_back(std::make_unique<StripPanel>());
    panels.push_back(std::make_unique<ValuesPanel>());
    panels.push_back(std::make_unique<CostsPanel>());
    return panels;
}

} // namespace orb::preview
