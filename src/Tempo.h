#pragma once

// The production's one tempo, and how its times are written in bars. The scenes, their page
// tables and the soundtrack's score all read it here, so that a change of tempo is one edit.
//
//   const float bars = barPosition(t.local);         // where a frame stands, in bars
//   TextPager pager(barTime(4), {{barTime(4), "First page"}, {barTime(8), "Second page"}});
//   BarAndBeat shown = barAndBeatAt(demo.time());    // {5, 1} at 6.9564 s

#include <algorithm>
#include <cmath>

namespace orb {

constexpr double BeatsPerMinute = 138.0;
constexpr int BeatsPerBar = 4;

// Bars since `local` seconds ago, reckoned in single precision as the scenes' formulas are.
inline float barPosition(float local)
{
    return local * static_cast<float>(BeatsPerMinute) / 60.0f / static_cast<float>(BeatsPerBar);
}

// The production's timing writes whole bars as multiples of one bar's length rounded to a tenth of
// a millisecond (1.7391 s at 138 beats a minute): the page periods, the page ends and the script's
// scene times all sit on that grid, a little before the true bar lines.
constexpr double SecondsPerBar =
    static_cast<double>(static_cast<long long>(60.0 * BeatsPerBar / BeatsPerMinute * 10000.0 + 0.5)) /
    10000.0;

// The soundtrack's beat, a quarter of that bar (138.0024 beats a minute), so that the music's
// bars fall on the script's scene times instead of drifting 4 ms past them by the end.
constexpr double SecondsPerBeat = SecondsPerBar / BeatsPerBar;

// The time of `bars` whole bars on that grid.
constexpr float barTime(double bars)
{
    return static_cast<float>(bars * SecondsPerBar);
}

struct BarAndBeat
{
    int bar;  // from 1 at the demo's start
    int beat; // 1 to BeatsPerBar
};

// The bar and beat of the music a moment falls in. A time in float seconds may fall a little short
// of its beat: within 4 ms before a beat counts as on it.
inline BarAndBeat barAndBeatAt(float time)
{
    constexpr double Tolerance = 0.01; // of a beat
    const auto beats = static_cast<int>(std::floor(std::max(time, 0.0f) / SecondsPerBeat + Tolerance));
    return {beats / BeatsPerBar + 1, beats % BeatsPerBar + 1};
}

} // namespace orb
