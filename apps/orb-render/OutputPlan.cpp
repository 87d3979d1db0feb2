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
    const bool chapters = !options.chaptersFile.empty(), poster = options.poster.has_value();
    if (options.lastPicture && (frames || video || options.stats || timed || options.fromPicture ||
                                options.toPicture || chapters || poster))
        return {"--last-picture renders nothing: it goes only with --preset, --width, --height, --aspect, "
                "--multisample, --fps and --data"};
    if ((chapters || poster) && !video)
        return {std::string(chapters ? "--chapters" : "--poster") + " goes with --video"};
    if (chapters && (!options.at.empty() || options.loop))
        return {"--chapters marks the scenes along the demo: it goes without --at and --loop"};
    return {};
}

// Why the video cannot be written as asked; none when it can.
app::Failure videoRefusal(const RenderOptions& options)
{
    const Encoding& encoding = options.encoding();
    const std::string asked = options.preset ? "--preset " + std::string(options.preset->name) : "--video";
    if (std::filesystem::path(options.videoFile).extension() != encoding.extension)
        return {asked + " writes " + std::string(encoding.formatName) + ": its file name ends in " +
                std::string(encoding.extension)};
    if (const std::string missing = Encoder::missingEncoder(encoding); !missing.empty())
        return {asked + " needs the encoder " + missing + ", which this libavcodec lacks",
                "Debian's libavcodec59 has it"};
    // A 4:2:0 video's colour is kept at half the resolution each way: whole pairs of pixels only.
    const bool halfColour = encoding.pictures.layout() == gfx::PixelLayout::Planar420;
    if (halfColour && (options.width % 2 != 0 || options.height % 2 != 0))
        return {"--video needs an even --width and --height"};
    if (const app::Failure refusal = Encoder::refusal(
            {options.videoFile, options.width, options.height, options.fps, true, {}, encoding}))
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
    // Pictures in the frame's own colours are read in the present, not behind the next.
    if (output == Output::Video && options.encoding().pictures.layout() == gfx::PixelLayout::Bgra) {
        needs.layout = gfx::PixelLayout::Bgra;
        needs.pipelined = false;
    }
    return {output, needs, needs.drawnToSize ? options.width : JoiningWidth,
            needs.drawnToSize ? options.height : JoiningHeight,
            // Single pictures at chosen times have no soundtrack.
            needs.sound && options.at.empty(), nullptr};
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

std::pair<RenderOptions, OutputPlan> posterRun(const RenderOptions& options)
{
    RenderOptions poster;
    poster.width = options.width;
    poster.height = options.height;
    poster.fps = options.fps;
    poster.aspect = options.aspect;
    poster.multisample = options.multisample;
    poster.dataDirectory = options.dataDirectory;
    poster.poster = options.poster;
    poster.at = {options.poster.value_or(0.0f)};
    OutputPlan plan = planFor(Output::Poster, PngPicture::Needs, poster);
    plan.poster = std::make_shared<std::vector<unsigned char>>();
    return {poster, plan};
}

std::string posterFile(const RenderOptions& options)
{
    return std::filesystem::path(options.videoFile).replace_extension(".png").string();
}

app::Result<std::unique_ptr<FrameSink>> openSink(const OutputPlan& plan, const RenderOptions& options,
                                                 std::optional<PictureSpan> span, VideoExtras extras)
{
    const Encoder::Settings video{options.videoFile,
                                  options.width,
                                  options.height,
                                  options.fps,
                                  plan.sound,
                                  span,
                                  options.encoding(),
                                  std::move(extras.chapters),
                                  std::move(extras.cover),
                                  options.stats};
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
    case Output::Poster:
        return std::unique_ptr<FrameSink>(std::make_unique<PngPicture>(plan.poster));
    }
    return app::Failure{"no sink for this output"};
}

} // namespace orb::render
