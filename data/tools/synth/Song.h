#pragma once

// A song the way a tracker holds one: each track has one instrument, a few patterns of notes one
// phrase long, and an order that says which pattern plays in which phrase.

#include "Tempo.h"
#include "Voice.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orb::synth {

// The engine's tempo: the scenes move on the bars this score plays.
using orb::BeatsPerBar;
using orb::SecondsPerBeat;
constexpr int BarsPerPhrase = 4;
constexpr double BeatsPerPhrase = BeatsPerBar * BarsPerPhrase;

// The sample a beat starts on, straight from the beat number so that rounding never adds up.
std::int64_t sampleAt(double beat);

struct Mix
{
    float gain = 1.0f;
    float pan = 0.0f;
    float duck = 0.0f;   // how far the kick pushes the track down
    float reverb = 0.0f; // send level
    float echo = 0.0f;   // tempo-synced delay, wet level
    bool chorus = false;
    bool keysSidechain = false; // the kick: its notes drive every track's ducking
};

struct Track
{
    std::string name;
    Patch patch;
    std::map<char, Pattern> patterns;
    // One character a phrase: a pattern's key, or '.' for silence. Spaces only group sections.
    std::string order;
    Mix mix;

    // Every note of the track in beats from the song's start, in time order.
    std::vector<Note> notes() const;
};

struct Section
{
    std::string name;
    int firstBar;
    int endBar; // the bar after the section's last
};

struct Song
{
    std::vector<Track> tracks;
    std::vector<Section> sections;
    int bars = 0;

    const Track& track(const std::string& name) const;
    const Section& section(const std::string& name) const;
};

} // namespace orb::synth
