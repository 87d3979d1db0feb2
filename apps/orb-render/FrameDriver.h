#pragma once

// FrameDriver -- the engine off-screen, frame by frame in virtual time, into a frame sink: every
// presented picture moves the clock by one frame and the silent sound output by as much. A video
// gets a chapter at each scene's start (Chapters.h) and the cover it is given; its chapters' lines
// and its poster are written beside it once it is whole. Writes to the log the caller has opened.
//
//   const Ending ending = FrameDriver(options, plan, poster).run();   // what failed, and the exit status

#include "DemoSystem.h"
#include "Failure.h"
#include "FrameSinks.h"
#include "OutputPlan.h"
#include "RenderOptions.h"
#include "RenderStats.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orb::render {

enum ExitStatus : int
{
    Rendered = 0,
    Failed = 1,   // start-up or the output failed, or a signal stopped the render
    BadUsage = 2, // including times beyond the script
};

// How a run ended: what failed, if anything, and the program's exit status.
struct Ending
{
    app::Failure failure;
    ExitStatus status = Rendered;
};

class FrameDriver
{
public:
    // `poster`: the video's cover picture, a PNG file, when not empty.
    FrameDriver(const RenderOptions& options, const OutputPlan& plan, std::vector<unsigned char> poster = {});
    ~FrameDriver();

    Ending run();

private:
    void onPresent(const gfx::FramePixels& frame);
    void onSound(const float* samples, std::size_t frames);
    void noteLoadingPicture(std::uint64_t picture);
    bool recording() const { return recording_ && sink_ && !sinkFailure_; }
    std::size_t soundForNextPicture();
    app::Failure timeBeyondTheScript() const;
    std::uint64_t rangeFrames() const;
    bool picturesChosen() const { return options_.fromPicture || options_.toPicture; }
    std::optional<PictureSpan> numberedPictures() const;
    std::uint64_t lastPicture() const;
    double pictureTime(std::uint64_t picture) const;
    std::vector<Chapter> chapters() const;
    app::Failure writeBeside() const;
    DemoSettings demoSettings() const;
    void renderFrames();
    bool renderFrame(const float* seek, double demoTime);
    Ending endRender();

    RenderOptions options_;
    OutputPlan plan_;
    std::vector<unsigned char> poster_;
    std::vector<Chapter> chapters_;
    std::int64_t ticksPerFrame_;
    float start_;                // the first frame's demo time
    std::uint64_t pictures_ = 0; // presented so far, loading screen included
    win::SteppedCounter counter_;
    std::unique_ptr<DemoSystem> demo_;
    std::unique_ptr<FrameSink> sink_;
    bool recording_ = false;
    app::Failure sinkFailure_;
    RenderStats stats_;
};

} // namespace orb::render
