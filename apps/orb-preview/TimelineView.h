#pragma once

// TimelineView -- the span of demo time the timeline strip shows, and where a moment lies on it.
//
// Does: show the whole demo at first, zoom around a point of the strip (the time under it stays
//       under it), page on when the playhead leaves the span, and map between a strip's x and
//       demo time.
// Does not: draw, or know the strip's place in the window (x runs from 0 at its left end).
//
//   TimelineView view(demo.length());
//   view.zoom(2, pointerX, stripWidth);           // two notches of the wheel in
//   float time = view.timeAt(pointerX, stripWidth);

namespace orb::preview {

class TimelineView
{
public:
    explicit TimelineView(float length = 0.0f) { setLength(length); }

    // A new length shows the whole of it again.
    void setLength(float length);

    float length() const { return length_; }
    float from() const { return from_; }
    float to() const { return to_; }

    // The time at `x` of a strip `width` wide, within the demo.
    float timeAt(float x, float width) const;
    float xOf(float time, float width) const;

    // `notches` of the wheel: in where positive, out where negative, keeping the time at `x`
    // where it is; never closer than a second or wider than the demo.
    void zoom(float notches, float x, float width);
    // Moves the span on (or back) by its own width, so that `time` is in it, when it is not.
    void follow(float time);

private:
    float length_ = 0.0f;
    float from_ = 0.0f;
    float to_ = 0.0f;
};

} // namespace orb::preview
