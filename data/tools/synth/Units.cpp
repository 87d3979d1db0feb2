#include "Units.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orb::synth {

double Envelope::heldLevel(double time) const
{
    if (time < attack)
        return time / attack;
    const double intoDecay = time - attack;
    if (intoDecay >= decay)
        return sustain;
    const double remaining = 1.0 - intoDecay / decay;
    return sustain + (1.0 - sustain) * remaining * remaining;
}

double Envelope::level(double time, double gate) const
{
    if (time < 0.0)
        return 0.0;
    if (time < gate)
        return heldLevel(time);
    const double intoRelease = time - gate;
    if (intoRelease >= release)
        return 0.0;
    const double remaining = 1.0 - intoRelease / release;
    return heldLevel(gate) * remaining * remaining;
}

namespace {

// The correction that rounds off a step at phase 0 for a phase increment `step`.
double polyBlep(double phase, double step)
{
    if (phase < step) {
        const double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        const double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

float Oscillator::next(double hertz)
{
    const double step = hertz / SampleRate;
    double value = 0.0;
    switch (wave_) {
    case Wave::Sine:
        value = std::sin(2.0 * std::numbers::pi * phase_);
        break;
    case Wave::Saw:
        value = 2.0 * phase_ - 1.0 - polyBlep(phase_, step);
        break;
    case Wave::Square: {
        const double half = std::fmod(phase_ + 0.5, 1.0);
        value = (phase_ < 0.5 ? 1.0 : -1.0) + polyBlep(phase_, step) - polyBlep(half, step);
        break;
    }
    }
    phase_ += step;
    phase_ -= std::floor(phase_);
    return static_cast<float>(value);
}

float Noise::next()
{
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ * (2.0 / 4294967296.0) - 1.0);
}

void Filter::tune(double hertz, double resonance)
{
    const double nyquistSafe = std::clamp(hertz, 10.0, SampleRate * 0.45);
    g_ = std::tan(std::numbers::pi * nyquistSafe / SampleRate);
    k_ = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.98);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

float Filter::next(float input)
{
    const double v3 = input - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    switch (type_) {
    case FilterType::LowPass:
        return static_cast<float>(v2);
    case FilterType::BandPass:
        return static_cast<float>(v1);
    case FilterType::HighPass:
        break;
    }
    return static_cast<float>(input - k_ * v1 - v2);
}

namespace {

// A rational curve close to tanh, and flat from 3 on: much cheaper per sample.
float softClip(float x)
{
    const float clipped = std::clamp(x, -3.0f, 3.0f);
    return clipped * (27.0f + clipped * clipped) / (27.0f + 9.0f * clipped * clipped);
}

} // namespace

float drive(float input, float amount)
{
    if (amount <= 1.0f)
        return input;
    return softClip(input * amount) / softClip(amount);
}

StereoGain pan(float position)
{
    const float angle = (std::clamp(position, -1.0f, 1.0f) + 1.0f) * static_cast<float>(std::numbers::pi / 4);
    return {std::cos(angle), std::sin(angle)};
}

double keyToHertz(double key)
{
    return 440.0 * std::exp2((key - 69.0) / 12.0);
}

} // namespace orb::synth
