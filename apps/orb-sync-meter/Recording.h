#pragma once

// Recording -- what a viewer got from a video file: how bright each picture was and when it
// showed, and the sound as one channel on the file's own clock.
//
// Does: decode the first video and audio streams of any file libavformat reads (a screen capture,
//       an MP4), as a player does: edit lists and the encoder's priming samples honoured, each
//       picture and each block of sound placed at its own timestamp.
// Does not: resample; the sound must be at the soundtrack's rate.
//
//   app::Result<Recording> recording = readRecording("capture.mkv");
//   for (const Recording::Picture& picture : recording->pictures) ... picture.time, picture.luma

#include "Failure.h"

#include <string>
#include <vector>

namespace orb::sync {

struct Recording
{
    struct Picture
    {
        double time; // seconds on the file's clock
        double luma; // the mean of the picture's first plane (luma, or grey), 0 to 255
    };

    std::vector<Picture> pictures;
    // Mono (the mean of the channels) from soundStart on, with silence where the file has a gap.
    std::vector<float> sound;
    double soundStart = 0.0;
    int soundRate = 0;
};

app::Result<Recording> readRecording(const std::string& path);

// Adds a block of mono sound whose first sample was heard at `time` (the first block's sets
// soundStart). Blocks follow each other unless their timestamps say otherwise by more than a
// capture's jitter (a quarter of a millisecond): a capture that lost some sound keeps the rest in
// place, and a sound card's clock that runs off the recording's is followed. A move of up to a
// millisecond waits for silence at the end, so that no sound heard is cut short or split.
void placeSound(Recording& recording, double time, const std::vector<float>& block);

// The part of a recording from `from` to `to` seconds after its first picture.
Recording partOf(const Recording& recording, double from, double to);

} // namespace orb::sync
