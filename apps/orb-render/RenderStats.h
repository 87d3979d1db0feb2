#pragma once

// RenderStats -- how long start-up and frames took, per scene operator that drew in them (its
// first frame apart), and the peak memory.

#include "DemoSystem.h"

#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace orb::render {

// Milliseconds since the process started, as the kernel counts (to its 10 ms tick).
double millisecondsSinceProcessStart();

// Start-up in milliseconds since the process started: the first loading picture, the last one
// of the loading bar (every operator initialised, before the fade), the demo ready to play.
struct StartUp
{
    double firstPicture = -1, loaded = -1, ready = -1;
};

class RenderStats final : public OperatorObserver
{
public:
    StartUp startUp;

    void ran(const IOperator& op) override;
    // Files the frame's time under every scene operator that drew in it.
    void endFrame(double milliseconds);
    // Closes a loop of the demo: its frames' median and the memory resident at its end, so that
    // wear over many loops shows.
    void endLoop();
    void report(std::ostream& stream) const;

private:
    struct Loop
    {
        double medianMilliseconds;
        double residentMiB;
    };

    std::set<std::string> drawing_;
    std::map<std::string, std::vector<double>> times_;
    std::vector<double> loopTimes_;
    std::vector<Loop> loops_;
};

} // namespace orb::render
