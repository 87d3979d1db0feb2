#pragma once

// One note of an instrument: oscillators and noise -> filter -> drive, shaped by envelopes.
// A patch is the instrument's settings; every drum and synth of the score is one.

#include "Units.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orb::synth {

struct Note
{
    double beat;  // from the start of its pattern, or of the song once placed
    double beats; // how long the gate stays open
    double key;   // MIDI key; fractions detune
    float velocity = 1.0f;
};
using Pattern = std::vector<Note>;

struct Layer
{
    Wave wave = Wave::Saw;
    double semitones = 0.0; // from the note's key, fractions detune
    float level = 1.0f;
    float pan = 0.0f;
};

struct Patch
{
    std::vector<Layer> layers;
    float noise = 0.0f;
    // The pitch starts `sweepFrom` times higher and falls back exponentially.
    double sweepFrom = 1.0;
    double sweepTime = 0.01;
    double vibratoHertz = 0.0;
    double vibratoCents = 0.0;
    Envelope amp;
    FilterType filter = FilterType::LowPass;
    double cutoff = 20000.0;
    double resonance = 0.0;
    double filterOctaves = 0.0;
    Envelope filterEnvelope;
    float drive = 1.0f;
    float click = 0.0f; // a few milliseconds of noise on the onset
    int bursts = 1;     // hand claps: the attack repeats, `burstGap` seconds apart
    double burstGap = 0.01;
    float gain = 1.0f;
};

struct StereoBuffer
{
    std::vector<float> left, right;

    explicit StereoBuffer(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    std::size_t frames() const { return left.size(); }
    void add(const StereoBuffer& other, float gain);
};

// Adds the note, `seed` feeding its noise, to `out` from frame `start` (which may lie before 0:
// the note is then cut in).
void playNote(const Patch& patch, const Note& note, std::uint32_t seed, StereoBuffer& out,
              std::int64_t start);

} // namespace orb::synth
