#include "Effects.h"

#include "Song.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orb::synth {
namespace {

class DelayLine
{
public:
    explicit DelayLine(std::size_t length) : samples_(length, 0.0f) {}
    float read(std::size_t delay) const
    {
        return samples_[at_ >= delay ? at_ - delay : at_ + samples_.size() - delay];
    }
    // Linear interpolation between the two nearest samples.
    float read(double delay) const
    {
        const auto whole = static_cast<std::size_t>(delay);
        const auto fraction = static_cast<float>(delay - whole);
        return read(whole) * (1.0f - fraction) + read(whole + 1) * fraction;
    }
    void write(float sample)
    {
        at_ = at_ + 1 == samples_.size() ? 0 : at_ + 1;
        samples_[at_] = sample;
    }

private:
    std::vector<float> samples_;
    std::size_t at_ = 0;
};

class Comb
{
public:
    explicit Comb(std::size_t length) : line_(length + 1), length_(length) {}
    float next(float input, float feedback, float damping)
    {
        const float out = line_.read(length_ - 1);
        filtered_ = out * (1.0f - damping) + filtered_ * damping;
        line_.write(input + filtered_ * feedback);
        return out;
    }

private:
    DelayLine line_;
    std::size_t length_;
    float filtered_ = 0.0f;
};

class Allpass
{
public:
    explicit Allpass(std::size_t length) : line_(length + 1), length_(length) {}
    float next(float input)
    {
        const float delayed = line_.read(length_ - 1);
        line_.write(input + delayed * 0.5f);
        return delayed - input;
    }

private:
    DelayLine line_;
    std::size_t length_;
};

// Freeverb's tunings, at 44.1 kHz.
constexpr std::array<std::size_t, 8> CombLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<std::size_t, 4> AllpassLengths = {556, 441, 341, 225};
constexpr std::size_t StereoSpread = 23;

void reverbSide(std::vector<float>& samples, std::size_t spread, float roomSize, float damping)
{
    std::vector<Comb> combs;
    std::vector<Allpass> allpasses;
    for (std::size_t length : CombLengths)
        combs.emplace_back(length + spread);
    for (std::size_t length : AllpassLengths)
        allpasses.emplace_back(length + spread);
    for (float& sample : samples) {
        const float input = sample * 0.015f;
        float wet = 0.0f;
        for (Comb& comb : combs)
            wet += comb.next(input, roomSize, damping);
        for (Allpass& allpass : allpasses)
            wet = allpass.next(wet);
        sample = wet;
    }
}

void chorusSide(std::vector<float>& samples, double lfoPhase)
{
    constexpr double CentreDelay = 0.012 * SampleRate, Depth = 0.004 * SampleRate, Rate = 0.31;
    DelayLine line(static_cast<std::size_t>(CentreDelay + Depth) + 4);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        line.write(samples[i]);
        const double sweep = std::sin(2.0 * std::numbers::pi * (Rate * i / SampleRate + lfoPhase));
        samples[i] = 0.7f * samples[i] + 0.5f * line.read(CentreDelay + Depth * sweep);
    }
}

} // namespace

void chorus(StereoBuffer& buffer)
{
    chorusSide(buffer.left, 0.0);
    chorusSide(buffer.right, 0.25);
}

void echo(StereoBuffer& buffer, double delayBeats, float feedback, float wet)
{
    const auto delay = static_cast<std::size_t>(sampleAt(delayBeats));
    DelayLine left(delay + 1), right(delay + 1);
    for (std::size_t i = 0; i < buffer.frames(); ++i) {
        const float fromLeft = left.read(delay), fromRight = right.read(delay);
        // Each side feeds the other: the repeats bounce between the speakers.
        left.write(buffer.left[i] + fromRight * feedback);
        right.write(fromLeft * feedback);
        buffer.left[i] += fromLeft * wet;
        buffer.right[i] += fromRight * wet;
    }
}

void reverb(StereoBuffer& buffer, float roomSize, float damping)
{
    reverbSide(buffer.left, 0, roomSize, damping);
    reverbSide(buffer.right, StereoSpread, roomSize, damping);
}

void removeOffset(StereoBuffer& buffer)
{
    constexpr float Pole = 0.9995f; // about 3.5 Hz
    for (std::vector<float>* side : {&buffer.left, &buffer.right}) {
        float lastIn = 0.0f, lastOut = 0.0f;
        for (float& sample : *side) {
            lastOut = sample - lastIn + Pole * lastOut;
            lastIn = sample;
            sample = lastOut;
        }
    }
}

std::vector<float> sidechainCurve(const std::vector<std::int64_t>& onsets, std::size_t frames)
{
    // One kick's dip, the same for every kick: down in 4 ms, back up with a 90 ms time constant,
    // until it is too small to hear.
    constexpr double Fall = 0.004 * SampleRate, Recovery = 0.09 * SampleRate;
    std::vector<float> dip;
    for (double since = 0.0; since < Fall || dip.back() > 0.001f; ++since)
        dip.push_back(static_cast<float>(since < Fall ? since / Fall : std::exp(-(since - Fall) / Recovery)));
    std::vector<float> curve(frames, 1.0f);
    for (std::int64_t onset : onsets)
        for (std::size_t i = 0; i < dip.size(); ++i) {
            const std::int64_t frame = onset + static_cast<std::int64_t>(i);
            // Where two kicks' dips overlap, the deeper one wins.
            if (frame >= 0 && frame < static_cast<std::int64_t>(frames))
                curve[frame] = std::min(curve[frame], 1.0f - dip[i]);
        }
    return curve;
}

void duck(StereoBuffer& buffer, const std::vector<float>& curve, float depth)
{
    for (std::size_t i = 0; i < buffer.frames() && i < curve.size(); ++i) {
        const float gain = 1.0f - depth * (1.0f - curve[i]);
        buffer.left[i] *= gain;
        buffer.right[i] *= gain;
    }
}

} // namespace orb::synth
