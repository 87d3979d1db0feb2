#pragma once

// SyncEvents -- how far the sound of each flash lies from the flash itself in a recording.
//
// Does: place the recording on the soundtrack's clock (the loudness of 10 ms blocks compared at
//       every shift, then each event's sound found to the sample by correlation with the
//       soundtrack around its beat, following the sound as it moves); take every sudden rise in
//       brightness that falls back within FlashSeconds as a flash on the beat it falls on (a cut
//       to a brighter picture is none); and give per flash the time it showed, the time its beat
//       was heard and their difference (sound minus picture).
// Does not: know which beats flash: it measures the ones it sees.
//
//   std::vector<SyncEvent> events = measureSync(*recording, soundtrack, SyncOptions{});
//   SyncSummary summary = summarise(events);     // mean, spread, drift

#include "Recording.h"
#include "Tempo.h"

#include <vector>

namespace orb::sync {

struct SyncOptions
{
    double beatSeconds = SecondsPerBeat;
    double flashRise = 48.0; // luma risen from one picture to the next that makes a flash
    // A flash falls by half its rise within this; the production's last a beat (0.43 s).
    double flashSeconds = 0.5;
    // Taken off every picture's time: a grab shows on average what had been up for half a grab's
    // interval already.
    double pictureLead = 0.0;
    // The file's pictures are the demo's own (orb-render's): the picture of a beat is the beat's
    // time, provided the flash is on the first picture at or after it.
    bool picturesAreDemoTime = false;
};

struct SyncEvent
{
    double beat;    // the flash's beat, seconds of demo time
    double picture; // when the flash showed, on the recording's clock
    double sound;   // when the beat's sound was heard, on the same clock
    double offsetMs() const { return (sound - picture) * 1000.0; }
};

struct SyncSummary
{
    double meanMs = 0.0;
    double spreadMs = 0.0;      // the farthest event from the mean
    double driftMsPerMin = 0.0; // the offset's slope over the beats' demo time
    std::size_t count = 0;
};

std::vector<SyncEvent> measureSync(const Recording& recording, const std::vector<float>& soundtrack,
                                   const SyncOptions& options);
SyncSummary summarise(const std::vector<SyncEvent>& events);

} // namespace orb::sync
