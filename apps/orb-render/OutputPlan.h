#pragma once

// OutputPlan -- what one run of orb-render makes, decided once from its options: PNG frames, a
// video, a video joined from parts, or nothing but timings; with what that output's sink needs of
// the renderer (SinkNeeds) and the size its pictures are drawn at. Options that cannot go together
// are refused here, before anything is loaded. The driver reads the plan, never the output options.
//
//   app::Result<OutputPlan> plan = planOutput(options);   // or why: bad usage, exit 2
//   auto sink = openSink(*plan, options, span);            // or why the output did not open

#include "Encoder.h"
#include "Failure.h"
#include "FrameSinks.h"
#include "RenderOptions.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orb::render {

enum class Output
{
    Timings, // nothing written: the frames are only rendered, and timed with --stats
    Frames,
    Video,
    JoinedVideo,
    Poster, // one picture into the plan's `poster`, for a video's cover
};

struct OutputPlan
{
    Output output = Output::Timings;
    SinkNeeds needs;
    int width = 0, height = 0;                          // the pictures drawn
    bool sound = false;                                 // the engine's mix goes into the output
    std::shared_ptr<std::vector<unsigned char>> poster; // a Poster's PNG file, once drawn
};

// What a video holds besides its pictures and sound.
struct VideoExtras
{
    std::vector<Chapter> chapters;
    std::vector<unsigned char> cover; // a PNG file, when not empty
};

app::Result<OutputPlan> planOutput(const RenderOptions& options);

// The run that draws a video's poster before the video: demo time --poster alone, at the video's
// size and multisampling, from the same production.
std::pair<RenderOptions, OutputPlan> posterRun(const RenderOptions& options);
// Where the poster goes: beside the video, its name's extension .png.
std::string posterFile(const RenderOptions& options);

// The plan's sink; `span` the numbered pictures rendered, when they are numbered.
app::Result<std::unique_ptr<FrameSink>> openSink(const OutputPlan& plan, const RenderOptions& options,
                                                 std::optional<PictureSpan> span, VideoExtras extras = {});

} // namespace orb::render
