#include "TimelineView.h"

#include <algorithm>
#include <cmath>

namespace orb::preview {

namespace {

constexpr float NotchScale = 1.25f;
constexpr float NarrowestSpan = 1.0f;

} // namespace

void TimelineView::setLength(float length)
{
    length_ = std::max(length, 0.0f);
    from_ = 0.0f;
    to_ = length_;
}

float TimelineView::timeAt(float x, float width) const
{
    if (width <= 0.0f)
        return from_;
    return std::clamp(from_ + (to_ - from_) * x / width, 0.0f, length_);
}

float TimelineView::xOf(float time, float width) const
{
    const float span = to_ - from_;
    return span > 0.0f ? (time - from_) / span * width : 0.0f;
}

void TimelineView::zoom(float notches, float x, float width)
{
    const float pinned = timeAt(x, width);
    const float widest = length_;
    const float span =
        std::clamp((to_ - from_) / std::pow(NotchScale, notches), std::min(NarrowestSpan, widest), widest);
    const float share = width > 0.0f ? std::clamp(x / width, 0.0f, 1.0f) : 0.0f;
    from_ = std::clamp(pinned - span * share, 0.0f, length_ - span);
    to_ = from_ + span;
}

void TimelineView::follow(float time)
{
    const float span = to_ - from_;
    if (span <= 0.0f || (time >= from_ && time <= to_))
        return;
    const float pages = std::floor((time - from_) / span);
    from_ = std::clamp(from_ + pages * span, 0.0f, length_ - span);
    to_ = from_ + span;
}

} // namespace orb::preview
