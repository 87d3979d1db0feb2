#pragma once

// RenderStats -- how long start-up and frames took, per scene operator that drew in them (its
// first frame apart), the slowest frames and each scene's worst with what they did that others do
// not, and the peak memory. The scenes are those of the timeline (SceneSpans), whatever their
// names.
//
//   stats.setScenes(app::sceneSpans(*demo.scene(0)));
//   demo.setOperatorObserver(&stats);
//   ... // a frame
//   stats.endFrame(milliseconds, demoTime, work);
//   stats.report(std::cout);

#include "DemoSystem.h"
#include "FrameWork.h"
#include "PassTally.h"
#include "SceneSpans.h"
#include "platform/gfx/PassTimer.h"

#include <array>
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

    // The scenes of the demo, before its first frame.
    void setScenes(std::vector<app::SceneSpan> scenes) { scenes_ = std::move(scenes); }
    void ran(const IOperator& op) override;
    // Files the frame's time under every scene operator that drew in it; `demoTime` and `work`
    // say when it was and what it did, for the slowest frames.
    void endFrame(double milliseconds, double demoTime, const FrameWork& work);
    // Before endFrame: files a frame's pass times under its scene, when one scene drew in it.
    void endPasses(const std::vector<gfx::PassTimer::Time>& passes);
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
    struct SlowFrame
    {
        double milliseconds = 0, demoTime = 0;
        std::set<std::string> scenes;
        std::set<std::string> firstOf; // the scenes it was the first frame of
        FrameWork work;
    };

    // Before the frame is filed: whether it is the scene's first.
    bool begins(const std::string& scene) const { return times_.count(scene) == 0; }
    void noteIfSlow(double milliseconds, double demoTime, const FrameWork& work);
    void reportSlowest(std::ostream& stream) const;
    void reportPasses(std::ostream& stream) const;
    void reportAllocations(std::ostream& stream) const;
    std::string causes(const SlowFrame& frame) const;

    std::vector<app::SceneSpan> scenes_;
    std::vector<std::string> drawing_; // the scene operators that ran in the frame
    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, std::vector<double>> processorTimes_;
    std::vector<SlowFrame> slowest_;               // the slowest first
    std::map<std::string, SlowFrame> worstOf_;     // by scene, its first frame aside
    std::map<std::string, app::PassTally> passes_; // by scene
    std::array<std::uint64_t, gfx::WorkKinds> framesWithWork_{};
    std::uint64_t framesAllocating_ = 0;
    std::vector<double> laterAllocations_; // when frames allocated that began no scene, the first few
    std::uint64_t frames_ = 0;
    std::vector<double> loopTimes_;
    std::vector<Loop> loops_;
};

} // namespace orb::render
