#include "Panel.h"

#include <iomanip>
#include <sstream>

namespace orb::preview {

std::string FrameSnapshot::statusLine() const
{
    std::ostringstream line;
    line << std::fixed << std::setprecision(2) << time << " s   bar " << position.bar << "   beat "
         << position.beat;
    if (!scene.empty())
        line << "   " << scene;
    if (paused)
        line << "   paused";
    return line.str();
}

} // namespace orb::preview
