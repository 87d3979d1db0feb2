#include "Transport.h"

#include "DemoSystem.h"
#include "LogFile.h"
#include "Tempo.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <utility>

namespace orb::preview {
namespace {

constexpr double FrameSeconds = 1.0 / 60.0;
// What a scrub plays at each place the pointer passes: long enough to tell the music by, short
// enough to follow the pointer.
constexpr double ScrubGrainSeconds = 0.08;
// Where the beat that `time` counts in starts, in the music.
double beatStart(float time)
{
    const BarAndBeat position = barAndBeatAt(time);
    return ((position.bar - 1) * BeatsPerBar + position.beat - 1) * SecondsPerBeat;
}

} // namespace

void Transport::demoLoaded()
{
    loaded_ = true;
    scenes_ = demo_.scene(0) != nullptr ? app::sceneSpans(*demo_.scene(0)) : std::vector<app::SceneSpan>{};
}

void Transport::demoLost()
{
    loaded_ = false;
    scenes_.clear(); // their operators are gone
}

void Transport::playFrame()
{
    const std::optional<float> seek = std::exchange(seek_, std::nullopt);
    if (seek && std::exchange(seekLogged_, false))
        logSeek(*seek);
    const float before = demo_.time();
    demo_.frame(0, seek ? &*seek : nullptr);
    if (std::exchange(playAfterSeek_, false))
        demo_.setPaused(false);
    const float now = demo_.time();
    // Playing on to or past the loop's end (marked where it stands, or reached).
    if (!seek && loop_ && loop_->end && before <= *loop_->end && now >= *loop_->end && now > before)
        seekTo(loop_->start);
}

void Transport::togglePause()
{
    demo_.setPaused(!demo_.paused());
}

void Transport::stepBars(int bars)
{
    seekTo(targetTime() + barTime(bars));
}

void Transport::nextScene()
{
    if (const std::optional<float> next = app::nextSceneStart(scenes_, targetTime()))
        seekTo(*next);
}

void Transport::previousScene()
{
    seekTo(app::previousSceneStart(scenes_, targetTime()));
}

void Transport::seekTo(float time)
{
    seek_ = std::clamp(time, 0.0f, demo_.length());
    seekLogged_ = true;
}

void Transport::hold(float time)
{
    if (!loaded_)
        return;
    if (!heldWhilePaused_) {
        heldWhilePaused_ = demo_.paused();
        demo_.setPaused(true);
    }
    const float target = std::clamp(time, 0.0f, demo_.length());
    if (target != targetTime()) {
        seek_ = target;
        seekLogged_ = false; // a scrub is logged once, where it is let go
        playGrain(target, ScrubGrainSeconds);
    }
}

void Transport::release(float time)
{
    seekTo(time);
    playAfterSeek_ = heldWhilePaused_ && !*heldWhilePaused_;
    heldWhilePaused_.reset();
}

std::string Transport::markLoop()
{
    const float time = targetTime();
    std::ostringstream text;
    text << std::fixed << std::setprecision(2);
    if (!loop_) {
        loop_ = Loop{time, std::nullopt};
        text << "loop from " << time << " s: L again at its end";
    } else if (!loop_->end && time != loop_->start) {
        const auto [start, end] = std::minmax({loop_->start, time}); // values: loop_ changes below
        loop_ = Loop{start, end};
        text << "looping " << start << " s to " << end << " s";
    } else if (!loop_->end) {
        text << "the loop's end is where it starts: move on and press L again";
    } else {
        loop_.reset();
        text << "looping the whole demo";
    }
    return text.str();
}

void Transport::stepFrames(int frames)
{
    demo_.setPaused(true);
    seekTo(static_cast<float>(targetTime() + frames * FrameSeconds));
    playGrain(beatStart(*seek_), SecondsPerBeat);
}

float Transport::time() const
{
    return demo_.time();
}

float Transport::length() const
{
    return demo_.length();
}

bool Transport::paused() const
{
    return demo_.paused();
}

std::optional<double> Transport::musicTime() const
{
    const std::optional<std::uint64_t> frame =
        demo_.soundSystem()->mixer().currentPosition(demo_.musicStream());
    if (!frame)
        return std::nullopt;
    return static_cast<double>(*frame) / audio::SampleRate;
}

void Transport::playGrain(double from, double seconds) const
{
    audio::Mixer& mixer = demo_.soundSystem()->mixer();
    const audio::StreamHandle music = demo_.musicStream();
    if (const std::optional<std::uint64_t> frame = mixer.position(music, from))
        mixer.playGrain(music, *frame, static_cast<std::size_t>(std::lround(seconds * audio::SampleRate)));
}

float Transport::targetTime() const
{
    return seek_.value_or(demo_.time());
}

void Transport::logSeek(float time) const
{
    std::ostringstream line;
    line << "seek to " << std::fixed << std::setprecision(2) << time << " s (bar " << barAndBeatAt(time).bar;
    if (const app::SceneSpan* scene = app::sceneAt(scenes_, time))
        line << ", " << scene->name;
    line << ")";
    ORB_INFO(line.str());
}

} // namespace orb::preview
