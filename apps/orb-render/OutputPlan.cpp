#include "OutputPlan.h"

#include "JoinedVideo.h"
#include "VideoFile.h"

#include <filesystem>

namespace orb::render {

namespace {

// A join's pictures only keep time.
constexpr int JoiningWidth = 64, JoiningHeight = 36;

// Why the output options cannot go together; none when they can.
app::Failure clash(const RenderOptions& options)
{
    const bool frames = !options.framesDirectory.empty(), video = !options.videoFile.empty(),
               join = !options.joinParts.empty();
    const bool timed = !options.at.empty() || options.loop || options.start != 0.0f || options.end;
    if (frames && video)
        return {"--frames and --video go one at a time: render twice for both"};
    if (join && !video)
        return {"--join goes with --video, which names the joined file"};
    if (join && timed)
        return {"--join joins numbered pictures: it goes without --at, --loop, --start and --end"};
    if (options.lastPicture &&
        (frames || video || options.stats || timed || options.fromPicture || options.toPicture))
        return {"--last-picture renders nothing: it goes only with --width, --height, --aspect, "
                "--multisample, --fps and --data"};
    return {};
}

// Why the video cannot be written as asked; none when it can.
app::Failure videoRefusal(const RenderOptions& options)
{
    if (std::filesystem::path(options.videoFile).extension() != ".mp4")
        return {"--video writes MP4: its file name ends in .mp4"};
    // A video's colour is kept at half the resolution each way: whole pairs of pixels only.
    if (options.width % 2 != 0 || options.height % 2 != 0)
        return {"--video needs an even --width and --height"};
    if (const app::Failure refusal =
            Encoder::refusal({options.videoFile, options.width, options.height, options.fps}))
        return {"the video encoder refuses " + std::to_string(options.width) + " x " +
                    std::to_string(options.height),
                refusal.message()};
    return {};
}

// The sink `opened` as any sink, or why it did not open.
template <typename Sink>
app::Result<std::unique_ptr<FrameSink>> asSink(app::Result<std::unique_ptr<Sink>> opened)
{
    if (!opened)
        return opened.failure();
    return std::unique_ptr<FrameSink>(std::move(*opened));
}

OutputPlan planFor(Output output, SinkNeeds needs, const RenderOptions& options)
{
    return {output, needs, needs.drawnToSize ? options.width : JoiningWidth,
            needs.drawnToSize ? options.height : JoiningHeight,
            // Single pictures at chosen times have no soundtrack.
            needs.sound && options.at.empty()};
}

} // namespace

app::Result<OutputPlan> planOutput(const RenderOptions& options)
{
    if (app::Failure failure = clash(options))
        return failure;
    if (app::Failure failure = options.videoFile.empty() ? app::Failure{} : videoRefusal(options))
        return failure;
    if (!options.joinParts.empty())
        return planFor(Output::JoinedVideo, JoinedVideo::Needs, options);
    if (!options.videoFile.empty())
        return planFor(Output::Video, VideoFile::Needs, options);
    if (!options.framesDirectory.empty())
        return planFor(Output::Frames, PngFrames::Needs, options);
    return planFor(Output::Timings, NoPictures::Needs, options);
}

app::Result<std::unique_ptr<FrameSink>> openSink(const OutputPlan& plan, const RenderOptions& options,
                                                 std::optional<PictureSpan> span)
{
    const Encoder::Settings video{options.videoFile, options.width, options.height,
                                  options.fps,       plan.sound,    span};
    switch (plan.output) {
    case Output::Timings:
        return std::unique_ptr<FrameSink>(std::make_unique<NoPictures>());
    case Output::Frames: {
        std::error_code ignored; // a directory that cannot be made fails at the first frame, with why
        std::filesystem::create_directories(options.framesDirectory, ignored);
        return std::unique_ptr<FrameSink>(std::make_unique<PngFrames>(options.framesDirectory));
    }
    case Output::Video:
        return asSink(VideoFile::open(video));
    case Output::JoinedVideo:
        return asSink(JoinedVideo::open(video, options.joinParts, span.value_or(PictureSpan{})));
    }
    return app::Failure{"no sink for this output"};
}

} // namespace orb::render
