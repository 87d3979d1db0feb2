#include "FrameDriver.h"

#include "LogFile.h"
#include "VideoPipe.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace orb::render {

namespace {

constexpr std::int64_t TicksPerSecond = 1'000'000'000;

// A bar on stderr, for renders that take longer than a second.
class Progress
{
public:
    explicit Progress(std::size_t total) : total_(total), begun_(std::chrono::steady_clock::now()) {}
    ~Progress()
    {
        if (shown_)
            std::cerr << '\n';
    }

    void advance(std::size_t done)
    {
        if (!shown_ && std::chrono::steady_clock::now() - begun_ < std::chrono::seconds(1))
            return;
        const std::size_t filled = done * 40 / total_;
        if (shown_ && filled == filled_ && done != total_)
            return;
        shown_ = true;
        filled_ = filled;
        std::cerr << "\r[" << std::string(filled, '#') << std::string(40 - filled, ' ') << "] " << done << "/"
                  << total_ << " frames" << std::flush;
    }

private:
    std::size_t total_;
    std::chrono::steady_clock::time_point begun_;
    bool shown_ = false;
    std::size_t filled_ = 0;
};

} // namespace

FrameDriver::FrameDriver(const RenderOptions& options)
    : options_(options), ticksPerFrame_(std::llround(static_cast<double>(TicksPerSecond) / options.fps)),
      counter_(TicksPerSecond)
{
    LogFile::instance().open("Orb.log");
    demo_ = std::make_unique<DemoSystem>(Host::offscreen(
        counter_, [this](const gfx::FramePixels& frame) { onPresent(frame); },
        [this](const float* samples, std::size_t frames) { onSound(samples, frames); }));
}

FrameDriver::~FrameDriver()
{
    sink_.reset();
    demo_.reset();
    LogFile::instance().close();
}

// Every picture moves the clock and the sound by one frame, also while the loading screen fades;
// only the demo's own frames are recorded, so that its pictures and sound start together.
void FrameDriver::onPresent(const gfx::FramePixels& frame)
{
    counter_.advance(ticksPerFrame_);
    if (recording())
        sinkFailed_ = !sink_->write(frame);
    demo_->soundSystem()->pump(soundForNextPicture());
}

void FrameDriver::onSound(const float* samples, std::size_t frames)
{
    if (recording())
        sinkFailed_ = !sink_->writeSound(samples, frames);
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

std::unique_ptr<FrameSink> FrameDriver::openSink()
{
    if (!options_.framesDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(options_.framesDirectory, ignored);
        return std::make_unique<PngFrames>(options_.framesDirectory);
    }
    if (!options_.videoFile.empty()) {
        // Single pictures at chosen times have no soundtrack.
        auto video = std::make_unique<VideoPipe>(options_.videoFile, options_.width, options_.height,
                                                 options_.fps, options_.at.empty());
        return video->open() ? std::move(video) : nullptr;
    }
    return nullptr;
}

std::vector<float> FrameDriver::frameTimes() const
{
    if (!options_.at.empty())
        return options_.at;
    float end = options_.end.value_or(demo_->length());
    if (!options_.loop)
        end = std::min(end, demo_->length());
    std::vector<float> times;
    for (std::size_t i = 0;; ++i) {
        const double time = options_.start + static_cast<double>(i) / options_.fps;
        if (time > static_cast<double>(end) + 1e-6)
            return times;
        times.push_back(static_cast<float>(time));
    }
}

bool FrameDriver::renderFrame(const float* seek)
{
    const auto begun = std::chrono::steady_clock::now();
    const bool running = demo_->frame(0, seek);
    stats_.endFrame(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun).count());
    return running;
}

int FrameDriver::run()
{
    DemoSettings settings;
    settings.width = options_.width;
    settings.height = options_.height;
    settings.aspectRatio =
        options_.aspect.value_or(static_cast<float>(options_.width) / static_cast<float>(options_.height));
    settings.multisampleType = options_.multisample;
    settings.fullscreen = 0;
    settings.loopDemo = options_.loop ? 1 : 0;
    settings.scriptPath = "Data\\DemoScript.xml";
    if (!demo_->init(settings)) {
        std::cerr << "orb-render: the demo did not start; Orb.log says why\n";
        return 1;
    }
    sink_ = openSink();
    if (!sink_ && (!options_.framesDirectory.empty() || !options_.videoFile.empty())) {
        std::cerr << "orb-render: cannot open the output\n";
        return 1;
    }
    demo_->setOperatorObserver(&stats_);
    recording_ = true;

    const std::vector<float> times = frameTimes();
    Progress progress(times.size());
    for (std::size_t i = 0; i < times.size() && !sinkFailed_; ++i) {
        // --at seeks to every time; a range seeks once and then lets the clock run.
        const bool seek = !options_.at.empty() || i == 0;
        if (!renderFrame(seek ? &times[i] : nullptr))
            break;
        progress.advance(i + 1);
    }
    recording_ = false;

    if (sinkFailed_ || (sink_ && !sink_->finish())) {
        std::cerr << "orb-render: writing the output failed\n";
        return 1;
    }
    if (options_.stats) {
        // Standard output is the log's while the log is open.
        std::ostringstream report;
        stats_.report(report);
        std::fputs(report.str().c_str(), stdout);
    }
    return 0;
}

} // namespace orb::render
