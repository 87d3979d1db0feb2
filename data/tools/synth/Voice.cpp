#include "Voice.h"

#include "Song.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orb::synth {

void StereoBuffer::add(const StereoBuffer& other, float gain)
{
    const std::size_t count = std::min(frames(), other.frames());
    for (std::size_t i = 0; i < count; ++i) {
        left[i] += other.left[i] * gain;
        right[i] += other.right[i] * gain;
    }
}

namespace {

// Cutoff and pitch change slowly; updating them every few samples saves most of the maths.
constexpr int ControlInterval = 16;

struct RunningLayer
{
    Oscillator oscillator;
    double ratio;
    float level;
    StereoGain gain;
};

std::vector<RunningLayer> startLayers(const Patch& patch, std::uint32_t seed)
{
    std::vector<RunningLayer> running;
    Noise phases(seed ^ 0x5bd1e995u);
    for (const Layer& layer : patch.layers) {
        // Sines start at phase 0 so that drums begin from silence; detuned layers start
        // anywhere so that they do not all line up on the attack.
        const double phase = layer.wave == Wave::Sine ? 0.0 : 0.5 + 0.5 * phases.next();
        running.push_back(
            {Oscillator(layer.wave, phase), std::exp2(layer.semitones / 12.0), layer.level, pan(layer.pan)});
    }
    return running;
}

double burstShape(const Patch& patch, double time)
{
    if (patch.bursts <= 1 || time >= patch.bursts * patch.burstGap)
        return 1.0;
    const double intoBurst = std::fmod(time, patch.burstGap);
    const double rise = std::min(1.0, intoBurst / 0.0005);
    return rise * std::exp(-intoBurst / (patch.burstGap * 0.35));
}

// The pitch sweep and the vibrato together, as a frequency ratio.
double pitchBend(const Patch& patch, double time)
{
    const double sweep = 1.0 + (patch.sweepFrom - 1.0) * std::exp(-time / patch.sweepTime);
    const double vibrato = std::sin(2.0 * std::numbers::pi * patch.vibratoHertz * time);
    return sweep * std::exp2(patch.vibratoCents / 1200.0 * vibrato);
}

double clickShape(double time)
{
    constexpr double Length = 0.015; // ten time constants: nothing is left after it
    return time < Length ? std::min(1.0, time / 0.0003) * std::exp(-time / 0.0015) : 0.0;
}

} // namespace

void playNote(const Patch& patch, const Note& note, std::uint32_t seed, StereoBuffer& out, std::int64_t start)
{
    const double gate = note.beats * SecondsPerBeat;
    const auto frames = static_cast<std::int64_t>(std::ceil(patch.amp.duration(gate) * SampleRate));
    const double keyHertz = keyToHertz(note.key);
    std::vector<RunningLayer> layers = startLayers(patch, seed);
    Noise noise(seed);
    Filter left(patch.filter), right(patch.filter);
    const auto outFrames = static_cast<std::int64_t>(out.frames());
    const std::int64_t first = std::max<std::int64_t>(0, -start);
    const std::int64_t last = std::min(frames, outFrames - start);
    double hertz = keyHertz;
    for (std::int64_t i = 0; i < last; ++i) {
        const double time = static_cast<double>(i) / SampleRate;
        if (i % ControlInterval == 0) {
            const double cutoff =
                patch.cutoff * std::exp2(patch.filterOctaves * patch.filterEnvelope.level(time, gate));
            left.tune(cutoff, patch.resonance);
            right.tune(cutoff, patch.resonance);
            hertz = keyHertz * pitchBend(patch, time);
        }
        const float noiseSample = noise.next();
        float l = noiseSample * patch.noise, r = l;
        for (RunningLayer& layer : layers) {
            const float v = layer.oscillator.next(hertz * layer.ratio) * layer.level;
            l += v * layer.gain.left;
            r += v * layer.gain.right;
        }
        l = drive(left.next(l), patch.drive);
        r = drive(right.next(r), patch.drive);
        const float click =
            patch.click > 0.0f ? patch.click * static_cast<float>(clickShape(time)) * noiseSample : 0.0f;
        const float level = static_cast<float>(patch.amp.level(time, gate) * burstShape(patch, time)) *
                            note.velocity * patch.gain;
        if (i < first)
            continue;
        out.left[start + i] += (l + click) * level;
        out.right[start + i] += (r + click) * level;
    }
}

} // namespace orb::synth
