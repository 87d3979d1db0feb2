#include "FrameDriver.h"

#include "LogFile.h"
#include "OperatorManager.h"
#include "platform/win/QuitRequests.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <sstream>
#include <thread>

namespace orb::render {

namespace {

constexpr std::int64_t TicksPerSecond = 1'000'000'000;

// A bar on stderr, for renders that take longer than a second.
class Progress
{
public:
    explicit Progress(std::uint64_t total) : total_(total), begun_(std::chrono::steady_clock::now()) {}
    ~Progress()
    {
        if (shown_)
            std::cerr << '\n';
    }

    void advance(std::uint64_t done)
    {
        if (!shown_ && std::chrono::steady_clock::now() - begun_ < std::chrono::seconds(1))
            return;
        const auto filled =
            static_cast<std::size_t>(40.0 * static_cast<double>(done) / static_cast<double>(total_));
        if (shown_ && filled == filled_ && done != total_)
            return;
        shown_ = true;
        filled_ = filled;
        std::cerr << "\r[" << std::string(filled, '#') << std::string(40 - filled, ' ') << "] " << done << "/"
                  << total_ << " frames" << timeLeft(done) << "   " << std::flush;
    }

private:
    // ", about 3 min 20 s left", at the pace so far.
    std::string timeLeft(std::uint64_t done) const
    {
        if (done == 0 || done >= total_)
            return {};
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
        const auto seconds =
            static_cast<long>(elapsed * static_cast<double>(total_ - done) / static_cast<double>(done));
        const std::string minutes = seconds >= 60 ? std::to_string(seconds / 60) + " min " : "";
        return ", about " + minutes + std::to_string(seconds % 60) + " s left";
    }

    std::uint64_t total_;
    std::chrono::steady_clock::time_point begun_;
    bool shown_ = false;
    std::size_t filled_ = 0;
};

bool stopRequested()
{
    return win::quitSignal() != nullptr;
}

} // namespace

FrameDriver::FrameDriver(const RenderOptions& options, const OutputPlan& plan,
                         std::vector<unsigned char> poster)
    : options_(options), plan_(plan), poster_(std::move(poster)),
      ticksPerFrame_(std::llround(static_cast<double>(TicksPerSecond) / options.fps)), start_(options.start),
      counter_(TicksPerSecond)
{
    Host host = Host::offscreen(
        counter_, [this](const gfx::FramePixels& frame) { onPresent(frame); },
        [this](const float* samples, std::size_t frames) { onSound(samples, frames); });
    host.dataDirectory = options.dataDirectory;
    host.frameLayout = plan.needs.layout;
    if (plan.needs.pipelined) {
        // llvmpipe draws on a thread a processor; one more keeps the processors busy while the
        // sink's thread holds one (4 % less time at 1280 x 720 on two). The viewer's own
        // setting stays.
        const unsigned rasterisers = std::max(1u, std::thread::hardware_concurrency()) + 1;
        ::setenv("LP_NUM_THREADS", std::to_string(rasterisers).c_str(), 0);
    }
    host.watchDrawStates = options.stats;
    demo_ = std::make_unique<DemoSystem>(host);
}

FrameDriver::~FrameDriver()
{
    sink_.reset();
    demo_.reset();
}

// Every picture moves the clock and the sound by one frame, also while the loading screen fades;
// only the demo's own frames are recorded, so that its pictures and sound start together.
void FrameDriver::onPresent(const gfx::FramePixels& frame)
{
    if (!recording_)
        noteLoadingPicture(pictures_ + 1);
    counter_.advance(ticksPerFrame_);
    if (recording())
        sinkFailure_ = sink_->write(frame);
    demo_->soundSystem()->pump(soundForNextPicture());
}

// The first loading picture, and the first that shows everything loaded (before the fade).
void FrameDriver::noteLoadingPicture(std::uint64_t picture)
{
    StartUp& startUp = stats_.startUp;
    if (picture == 1)
        startUp.firstPicture = millisecondsSinceProcessStart();
    if (startUp.loaded < 0 && demo_->loadingProgress().complete())
        startUp.loaded = millisecondsSinceProcessStart();
}

void FrameDriver::onSound(const float* samples, std::size_t frames)
{
    if (recording())
        sinkFailure_ = sink_->writeSound(samples, frames);
}

// The sound frames that bring the total after n pictures to round(n * SampleRate / fps), so that
// the sound never drifts from the pictures by a fraction of a frame a picture.
std::size_t FrameDriver::soundForNextPicture()
{
    const auto soundUpTo = [this](std::uint64_t pictures) {
        return std::llround(static_cast<double>(pictures) * audio::SampleRate / options_.fps);
    };
    ++pictures_;
    return static_cast<std::size_t>(soundUpTo(pictures_) - soundUpTo(pictures_ - 1));
}

// Why the asked-for times cannot be rendered from the script; none when they can.
app::Failure FrameDriver::timeBeyondTheScript() const
{
    const float length = demo_->length();
    const auto late =
        std::find_if(options_.at.begin(), options_.at.end(), [length](float t) { return t > length; });
    std::ostringstream reason;
    if (options_.poster && *options_.poster > length)
        reason << "--poster " << *options_.poster << " is past the script's end at " << length << " s";
    else if (options_.at.empty() && options_.start >= length)
        reason << "--start " << options_.start << " is not before the script's end at " << length << " s";
    // A looping demo does not reach them either: the frame past the end restarts it, unseen.
    else if (late != options_.at.end())
        reason << "--at " << *late << " is past the script's end at " << length << " s";
    else if (const std::uint64_t last = lastPicture(); options_.fromPicture.value_or(0) > last)
        reason << "--from-picture " << *options_.fromPicture << " is past the script's end at " << length
               << " s, its picture " << last;
    else if (options_.toPicture.value_or(0) > last)
        reason << "--to-picture " << *options_.toPicture << " is past the script's end at " << length
               << " s, its picture " << last;
    return {reason.str()};
}

// The number of the whole render's last picture, the last before the script's end.
std::uint64_t FrameDriver::lastPicture() const
{
    return static_cast<std::uint64_t>(
        std::floor((static_cast<double>(demo_->length()) + 1e-6) * options_.fps));
}

// A whole render's pictures, or some of them by number, are numbered from the demo's start.
std::optional<PictureSpan> FrameDriver::numberedPictures() const
{
    const bool whole = options_.start == 0.0f && !options_.end && options_.at.empty() && !options_.loop;
    if (!picturesChosen() && !whole)
        return std::nullopt;
    return PictureSpan{options_.fromPicture.value_or(0), options_.toPicture.value_or(lastPicture())};
}

// The demo clock adds each frame's step to a double, so a whole render's picture n stands at that
// sum of n steps, a hair off n / fps: a part of the render starts its clock there (a restart, as
// the whole render's first frame, not a seek) to draw the same pictures.
double FrameDriver::pictureTime(std::uint64_t picture) const
{
    const double step = static_cast<double>(ticksPerFrame_) / static_cast<double>(TicksPerSecond);
    double time = 0.0;
    for (std::uint64_t i = 0; i < picture; ++i)
        time += step;
    return time;
}

// A video's chapters, by the demo time each picture stands at as the clock sums its steps; none
// for pictures at chosen times or a looping demo's.
std::vector<Chapter> FrameDriver::chapters() const
{
    const bool video = plan_.output == Output::Video || plan_.output == Output::JoinedVideo;
    if (!video || !options_.at.empty() || options_.loop || demo_->scene(0) == nullptr)
        return {};
    const double step = static_cast<double>(ticksPerFrame_) / static_cast<double>(TicksPerSecond);
    const std::optional<PictureSpan> numbered = numberedPictures();
    std::vector<double> times(rangeFrames());
    double time = numbered ? pictureTime(numbered->first) : start_;
    for (double& picture : times) {
        picture = time;
        time += step;
    }
    return chaptersOf(app::sceneSpans(*demo_->scene(0)), times);
}

// Frames one frame apart from --start to --end (the script's end unless looping). A looping
// render may ask for more than a count can hold, and gets as many as it holds.
std::uint64_t FrameDriver::rangeFrames() const
{
    if (picturesChosen())
        return options_.toPicture.value_or(lastPicture()) - options_.fromPicture.value_or(0) + 1;
    const float length = demo_->length();
    const float end =
        options_.loop ? options_.end.value_or(length) : std::min(options_.end.value_or(length), length);
    const double frames = std::floor((static_cast<double>(end) - options_.start + 1e-6) * options_.fps) + 1;
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    return frames < static_cast<double>(most) ? static_cast<std::uint64_t>(frames) : most;
}

// A software rasteriser runs behind the calls that feed it: a frame is timed from an idle
// rasteriser to the end of its own work, so that nothing queued before it (the loading screen's
// fade, say) is charged to it. A pipelined capture is not held up so: its frames are timed as the
// renderer feeds the rasteriser, which draws one picture while the next is fed.
bool FrameDriver::renderFrame(const float* seek, double demoTime)
{
    gfx::Device* device = demo_->graphicSystem()->device();
    const bool waitForRasteriser = options_.stats && !plan_.needs.pipelined && device != nullptr;
    if (waitForRasteriser)
        device->finish();
    gfx::PassTimer* passes = device != nullptr ? device->passTimer() : nullptr;
    if (passes != nullptr)
        passes->startFrame();
    const FrameWork before = options_.stats ? FrameWork::now() : FrameWork{};
    const auto begun = std::chrono::steady_clock::now();
    const bool running = demo_->frame(0, seek);
    if (waitForRasteriser)
        device->finish();
    const double milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun).count();
    if (!options_.stats)
        return running;
    const FrameWork work = FrameWork::now() - before; // before filing the passes, which allocates
    if (passes != nullptr)
        stats_.endPasses(passes->endFrame());
    stats_.endFrame(milliseconds, demoTime, work);
    return running;
}

DemoSettings FrameDriver::demoSettings() const
{
    DemoSettings settings;
    settings.width = plan_.width;
    settings.height = plan_.height;
    settings.aspectRatio =
        options_.aspect.value_or(static_cast<float>(options_.width) / static_cast<float>(options_.height));
    settings.multisampleType = options_.multisample;
    settings.fullscreen = 0;
    settings.loopDemo = options_.loop ? 1 : 0;
    settings.scriptPath = DemoSystem::ScriptPath;
    return settings;
}

void FrameDriver::renderFrames()
{
    const std::uint64_t frames = options_.at.empty() ? rangeFrames() : options_.at.size();
    const bool looping = options_.loop && options_.at.empty();
    const double length = demo_->length();
    const auto loopOf = [this, length](std::uint64_t frame) {
        return std::floor((options_.start + static_cast<double>(frame) / options_.fps) / length);
    };
    Progress progress(frames);
    for (std::uint64_t i = 0; i < frames && !sinkFailure_ && !stopRequested(); ++i) {
        // --at seeks to every time; a range seeks to its start and then lets the clock run.
        const float* seek = !options_.at.empty()          ? &options_.at[i]
                            : i == 0 && !picturesChosen() ? &start_
                                                          : nullptr;
        const double demoTime =
            seek != nullptr ? *seek : std::fmod(start_ + static_cast<double>(i) / options_.fps, length);
        if (!renderFrame(seek, demoTime))
            break;
        progress.advance(i + 1);
        if (looping && loopOf(i + 1) > loopOf(i))
            stats_.endLoop();
    }
    if (looping)
        stats_.endLoop();
}

Ending FrameDriver::run()
{
    // Ctrl-C or a SIGTERM ends the render after the frame in hand; the demo then shuts down as
    // always, and a video cut short is removed.
    win::catchQuitSignals();
    DemoSettings settings = demoSettings();
    if (!demo_->init(settings))
        return {{"the demo did not start; Orb.log says why"}, Failed};
    stats_.startUp.ready = millisecondsSinceProcessStart();
    if (app::Failure beyond = timeBeyondTheScript())
        return {std::move(beyond), BadUsage};
    if (options_.lastPicture) {
        // Standard output is the log's while the log is open.
        std::fputs((std::to_string(lastPicture()) + "\n").c_str(), stdout);
        return {};
    }
    if (picturesChosen()) {
        const double from = pictureTime(options_.fromPicture.value_or(0));
        start_ = static_cast<float>(from);
        demo_->restartAt(from);
    }
    chapters_ = chapters();
    app::Result<std::unique_ptr<FrameSink>> sink =
        openSink(plan_, options_, numberedPictures(), {chapters_, poster_});
    if (!sink)
        return {{"cannot open the output", sink.failure().message()}, Failed};
    sink_ = std::move(*sink);
    stats_.setScenes(demo_->scene(0) != nullptr ? app::sceneSpans(*demo_->scene(0))
                                                : std::vector<app::SceneSpan>{});
    demo_->setOperatorObserver(&stats_);
    if (options_.passes)
        demo_->graphicSystem()->device()->setPassTiming(true);
    recording_ = true;
    renderFrames();
    recording_ = false;
    return endRender();
}

// The chapters' lines and the poster, once the video is whole.
app::Failure FrameDriver::writeBeside() const
{
    if (!options_.chaptersFile.empty()) {
        const std::string lines = describe(chapters_, options_.fps);
        if (app::Failure failure = writeWhole(options_.chaptersFile, {lines.begin(), lines.end()}))
            return failure;
    }
    return poster_.empty() ? app::Failure{} : writeWhole(posterFile(options_), poster_);
}

// Keeps the output when every frame went into it.
Ending FrameDriver::endRender()
{
    const bool stopped = stopRequested();
    const app::Failure finished = sink_->finish(!sinkFailure_ && !stopped);
    if (stopped)
        return {{"stopped by a signal before the last frame"}, Failed};
    if (const app::Failure failure = sinkFailure_ ? sinkFailure_ : finished ? finished : writeBeside())
        return {{"writing the output failed", failure.message()}, Failed};
    if (options_.stats) {
        // Standard output is the log's while the log is open.
        std::ostringstream report;
        stats_.report(report);
        report << sink_->costs();
        std::fputs(report.str().c_str(), stdout);
    }
    return {};
}

} // namespace orb::render
