#pragma once

// Waveform -- the soundtrack as its authors see it under the timeline: the lowest and highest
// sample of each column of a span, from the whole file decoded once.
//
// Does: decode an MP3 in memory once into the extremes of every 64 frames (both channels), and
//       give any span's extremes per column from them, however far the strip is zoomed.
// Does not: play, or keep the decoded sound.
//
//   app::Result<Waveform> wave = Waveform::decode(bytes.data(), bytes.size());
//   if (wave) for (const Waveform::Column& column : wave->columns(0.0, 10.0, 1280)) ...

#include "Failure.h"

#include <cstddef>
#include <vector>

namespace orb::preview {

class Waveform
{
public:
    struct Column
    {
        float low = 0.0f; // -1 to 1; both 0 where there is no sound
        float high = 0.0f;
    };

    // Fails when the bytes are not MPEG audio or break off before their end.
    static app::Result<Waveform> decode(const void* bytes, std::size_t size);

    bool empty() const { return blocks_.empty(); }
    // `count` columns evenly across [from, to) seconds; silent past the sound's ends.
    std::vector<Column> columns(double from, double to, int count) const;

private:
    std::vector<Column> blocks_; // the extremes of each 64 frames
};

} // namespace orb::preview
