#pragma once

// The units an instrument is chained from: envelope, oscillator, noise, filter, drive, pan.
// Each keeps only its own state, so that two voices never share anything.

#include <cstdint>

namespace orb::synth {

constexpr int SampleRate = 44100;

// Attack rises linearly from 0 to 1; decay falls to the sustain level along a curve that lands
// on it exactly; release runs from wherever the gate closed down to exactly 0.
struct Envelope
{
    double attack = 0.002;
    double decay = 0.1;
    double sustain = 1.0;
    double release = 0.01;

    // The level `time` seconds after the note began, its gate open for `gate` seconds.
    double level(double time, double gate) const;
    // How long the note sounds, release included.
    double duration(double gate) const { return gate + release; }

private:
    double heldLevel(double time) const;
};

enum class Wave
{
    Sine,
    Saw,
    Square,
};

// Band-limited by polyBLEP, so that high notes do not alias into the pads.
class Oscillator
{
public:
    explicit Oscillator(Wave wave, double phase = 0.0) : wave_(wave), phase_(phase) {}
    float next(double hertz);

private:
    Wave wave_;
    double phase_;
};

// xorshift32: every noise source is seeded by the score, never by the system.
class Noise
{
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9e3779b9u) {}
    float next();

private:
    std::uint32_t state_;
};

enum class FilterType
{
    LowPass,
    BandPass,
    HighPass,
};

// A state-variable filter in its trapezoidal form: stays stable while the cutoff sweeps.
class Filter
{
public:
    explicit Filter(FilterType type) : type_(type) {}
    void tune(double hertz, double resonance);
    float next(float input);

private:
    FilterType type_;
    double g_ = 0.0, k_ = 2.0, a1_ = 0.0, a2_ = 0.0, a3_ = 0.0;
    double ic1_ = 0.0, ic2_ = 0.0;
};

// Soft saturation, normalised so that a full-scale input stays at full scale.
float drive(float input, float amount);

struct StereoGain
{
    float left, right;
};

// Equal-power pan, -1 left to 1 right.
StereoGain pan(float position);

double keyToHertz(double key);

} // namespace orb::synth
