#include "Transport.h"

#include "DemoSystem.h"
#include "LogFile.h"
#include "Tempo.h"

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <utility>

namespace orb::preview {

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
