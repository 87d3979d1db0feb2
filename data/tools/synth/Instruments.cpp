#include "Instruments.h"

#include <cmath>

namespace orb::synth::instruments {
namespace {

// Detuned saws spread across the stereo field, in cents-sized steps around the key.
std::vector<Layer> detunedSaws(int count, double spreadSemitones, float level)
{
    std::vector<Layer> layers;
    for (int i = 0; i < count; ++i) {
        const double position = count > 1 ? 2.0 * i / (count - 1) - 1.0 : 0.0;
        layers.push_back({Wave::Saw, position * spreadSemitones, level, static_cast<float>(0.8 * position)});
    }
    return layers;
}

Patch noiseHit(FilterType filter, double cutoff, double decay)
{
    Patch patch;
    patch.noise = 1.0f;
    patch.filter = filter;
    patch.cutoff = cutoff;
    patch.amp = {0.001, decay, 0.0, 0.01};
    return patch;
}

} // namespace

double kickKey()
{
    return 69.0 + 12.0 * std::log2(KickHertz / 440.0);
}

Patch kick()
{
    Patch patch;
    patch.layers = {{Wave::Sine, 0.0, 1.0f, 0.0f}};
    patch.sweepFrom = KickStartHertz / KickHertz;
    patch.sweepTime = 0.03;
    patch.amp = {0.001, 0.34, 0.0, 0.01};
    patch.drive = 1.6f;
    patch.click = 0.25f;
    return patch;
}

Patch snare()
{
    Patch patch = noiseHit(FilterType::LowPass, 7000.0, 0.2);
    patch.noise = 0.7f;
    patch.layers = {{Wave::Sine, 0.0, 0.8f, 0.0f}};
    patch.sweepFrom = 1.5;
    patch.sweepTime = 0.015;
    patch.drive = 1.4f;
    return patch;
}

Patch clap()
{
    Patch patch = noiseHit(FilterType::BandPass, 1300.0, 0.22);
    patch.resonance = 0.3;
    patch.bursts = 3;
    patch.burstGap = 0.011;
    patch.gain = 1.6f;
    return patch;
}

Patch closedHat()
{
    Patch patch = noiseHit(FilterType::HighPass, 7500.0, 0.05);
    patch.resonance = 0.2;
    return patch;
}

Patch openHat()
{
    Patch patch = noiseHit(FilterType::HighPass, 6500.0, 0.32);
    patch.resonance = 0.2;
    return patch;
}

Patch crash()
{
    Patch patch = noiseHit(FilterType::HighPass, 4200.0, 2.4);
    patch.amp.attack = 0.003;
    return patch;
}

Patch bass()
{
    Patch patch;
    patch.layers = {{Wave::Saw, 0.0, 0.8f, 0.0f}, {Wave::Square, -12.0, 0.5f, 0.0f}};
    patch.amp = {0.004, 0.12, 0.8, 0.04};
    patch.cutoff = 170.0;
    patch.resonance = 0.55;
    patch.filterOctaves = 3.0;
    patch.filterEnvelope = {0.002, 0.2, 0.15, 0.05};
    patch.drive = 2.0f;
    return patch;
}

// The breakdown's bass swells in slowly: no attack there to be mistaken for a kick.
Patch drone()
{
    Patch patch;
    patch.layers = {{Wave::Sine, 0.0, 0.9f, 0.0f}, {Wave::Saw, 0.0, 0.35f, 0.0f}};
    patch.amp = {0.12, 0.3, 0.9, 0.5};
    patch.cutoff = 320.0;
    patch.resonance = 0.2;
    patch.drive = 1.3f;
    return patch;
}

Patch pad()
{
    Patch patch;
    patch.layers = detunedSaws(5, 0.12, 0.3f);
    patch.amp = {0.6, 0.6, 0.85, 1.4};
    patch.cutoff = 700.0;
    patch.resonance = 0.2;
    patch.filterOctaves = 1.6;
    patch.filterEnvelope = {2.4, 2.0, 0.45, 1.4};
    return patch;
}

Patch lead()
{
    Patch patch;
    patch.layers = {
        {Wave::Square, 0.0, 0.45f, 0.0f}, {Wave::Saw, 0.07, 0.45f, -0.3f}, {Wave::Saw, -0.07, 0.45f, 0.3f}};
    patch.amp = {0.008, 0.2, 0.75, 0.12};
    patch.cutoff = 1300.0;
    patch.resonance = 0.35;
    patch.filterOctaves = 1.8;
    patch.filterEnvelope = {0.005, 0.3, 0.3, 0.12};
    patch.vibratoHertz = 5.2;
    patch.vibratoCents = 10.0;
    return patch;
}

Patch pluck()
{
    Patch patch;
    patch.layers = {{Wave::Saw, 0.0, 0.8f, 0.0f}, {Wave::Square, 12.0, 0.25f, 0.0f}};
    patch.amp = {0.002, 0.18, 0.3, 0.08};
    patch.cutoff = 500.0;
    patch.resonance = 0.5;
    patch.filterOctaves = 3.5;
    patch.filterEnvelope = {0.001, 0.14, 0.0, 0.08};
    return patch;
}

Patch stab()
{
    Patch patch;
    patch.layers = detunedSaws(4, 0.1, 0.35f);
    patch.amp = {0.003, 0.25, 0.0, 0.05};
    patch.cutoff = 1500.0;
    patch.resonance = 0.3;
    patch.filterOctaves = 2.0;
    patch.filterEnvelope = {0.002, 0.15, 0.0, 0.05};
    return patch;
}

// Four bars of noise whose band climbs five octaves while it swells.
Patch riser()
{
    Patch patch;
    patch.noise = 1.0f;
    patch.amp = {6.0, 0.5, 1.0, 0.25};
    patch.filter = FilterType::BandPass;
    patch.cutoff = 300.0;
    patch.resonance = 0.6;
    patch.filterOctaves = 5.0;
    patch.filterEnvelope = {6.9, 0.1, 1.0, 0.25};
    return patch;
}

} // namespace orb::synth::instruments
