#pragma once

// FrameDriver -- the engine off-screen, frame by frame in virtual time, into a frame sink: every
// presented picture moves the clock by one frame and the silent sound output by as much.

#include "DemoSystem.h"
#include "FrameSinks.h"
#include "OutputPlan.h"
#include "RenderOptions.h"
#include "RenderStats.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orb::render {

class FrameDriver
{
public:
    FrameDriver(const RenderOptions& options, const OutputPlan& plan);
    ~FrameDriver();

    // 0 when every frame was rendered; 1 when start-up or the output failed, or a signal stopped
    // the render; 2 when the times asked for are beyond the script.
    int run();

private:
    void onPresent(const gfx::FramePixels& frame);
    void onSound(const float* samples, std::size_t frames);
    void noteLoadingPicture(std::uint64_t picture);
    bool recording() const { return recording_ && sink_ && !sinkFailed_; }
    std::size_t soundForNextPicture();
    std::string timeBeyondTheScript() const;
    std::uint64_t rangeFrames() const;
    bool picturesChosen() const { return options_.fromPicture || options_.toPicture; }
    std::optional<PictureSpan> numberedPictures() const;
    std::uint64_t lastPicture() const;
    float pictureTime(std::uint64_t picture) const;
    DemoSettings demoSettings() const;
    void renderFrames();
    bool renderFrame(const float* seek, double demoTime);

    RenderOptions options_;
    OutputPlan plan_;
    std::int64_t ticksPerFrame_;
    float start_;                // the first frame's demo time
    std::uint64_t pictures_ = 0; // presented so far, loading screen included
    win::SteppedCounter counter_;
    std::unique_ptr<DemoSystem> demo_;
    std::unique_ptr<FrameSink> sink_;
    bool recording_ = false;
    bool sinkFailed_ = false;
    RenderStats stats_;
};

} // namespace orb::render
