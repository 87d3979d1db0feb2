#include "Renderer.h"

#include "Effects.h"
#include "Limiter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orb::synth {
namespace {

constexpr double EchoBeats = 0.75;
constexpr float EchoFeedback = 0.38f;
constexpr double FadeSeconds = 0.5;
constexpr std::size_t LookAheadFrames = SampleRate / 200; // 5 ms
constexpr double ReleaseSeconds = 0.08;

struct Span
{
    double firstBeat, endBeat;
    std::int64_t origin;
};

std::uint32_t noteSeed(std::size_t track, std::size_t note)
{
    return static_cast<std::uint32_t>(0x2545f491u * (track + 1) + 0x9e3779b9u * (note + 1));
}

StereoBuffer playTrack(const Track& track, std::size_t trackIndex, const Span& span, std::size_t frames)
{
    StereoBuffer buffer(frames);
    const std::vector<Note> notes = track.notes();
    for (std::size_t i = 0; i < notes.size(); ++i)
        if (notes[i].beat >= span.firstBeat && notes[i].beat < span.endBeat)
            playNote(track.patch, notes[i], noteSeed(trackIndex, i), buffer,
                     sampleAt(notes[i].beat) - span.origin);
    return buffer;
}

std::vector<float> kickSidechain(const Song& song, const Span& span, std::size_t frames)
{
    std::vector<std::int64_t> onsets;
    for (const Track& track : song.tracks)
        if (track.mix.keysSidechain)
            for (const Note& note : track.notes())
                if (note.beat >= span.firstBeat && note.beat < span.endBeat)
                    onsets.push_back(sampleAt(note.beat) - span.origin);
    return sidechainCurve(onsets, frames);
}

void applyMix(StereoBuffer& buffer, const Mix& mix, const std::vector<float>& sidechain)
{
    if (mix.chorus)
        chorus(buffer);
    if (mix.echo > 0.0f)
        echo(buffer, EchoBeats, EchoFeedback, mix.echo);
    if (mix.duck > 0.0f)
        duck(buffer, sidechain, mix.duck);
    const StereoGain placed = pan(mix.pan);
    // pan() gives -3 dB in the middle; the track's gain is meant for the centre.
    const float left = placed.left * mix.gain * std::numbers::sqrt2_v<float>;
    const float right = placed.right * mix.gain * std::numbers::sqrt2_v<float>;
    for (std::size_t i = 0; i < buffer.frames(); ++i) {
        buffer.left[i] *= left;
        buffer.right[i] *= right;
    }
}

void limit(StereoBuffer& buffer, float ceiling)
{
    Limiter limiter(ceiling, LookAheadFrames, ReleaseSeconds);
    const std::size_t latency = limiter.latency();
    const std::size_t frames = buffer.frames();
    for (std::size_t i = 0; i < frames + latency; ++i) {
        float left = i < frames ? buffer.left[i] : 0.0f;
        float right = i < frames ? buffer.right[i] : 0.0f;
        limiter.process(left, right);
        if (i >= latency) {
            buffer.left[i - latency] = left;
            buffer.right[i - latency] = right;
        }
    }
}

void fadeOut(StereoBuffer& buffer)
{
    const auto fade = std::min(buffer.frames(), static_cast<std::size_t>(FadeSeconds * SampleRate));
    const std::size_t start = buffer.frames() - fade;
    for (std::size_t i = 0; i < fade; ++i) {
        const float gain = 0.5f + 0.5f * std::cos(static_cast<float>(std::numbers::pi) * (i + 1) / fade);
        buffer.left[start + i] *= gain;
        buffer.right[start + i] *= gain;
    }
}

} // namespace

StereoBuffer render(const Song& song, int firstBar, int endBar, const MasterBus& master)
{
    const Span span{firstBar * static_cast<double>(BeatsPerBar), endBar * static_cast<double>(BeatsPerBar),
                    sampleAt(firstBar * static_cast<double>(BeatsPerBar))};
    const auto frames = static_cast<std::size_t>(sampleAt(span.endBeat) - span.origin +
                                                 std::llround(TailSeconds * SampleRate));
    const std::vector<float> sidechain = kickSidechain(song, span, frames);
    StereoBuffer mix(frames), reverbSend(frames);
    for (std::size_t t = 0; t < song.tracks.size(); ++t) {
        const Track& track = song.tracks[t];
        StereoBuffer buffer = playTrack(track, t, span, frames);
        applyMix(buffer, track.mix, sidechain);
        mix.add(buffer, 1.0f);
        if (track.mix.reverb > 0.0f)
            reverbSend.add(buffer, track.mix.reverb);
    }
    reverb(reverbSend, 0.86f, 0.35f);
    mix.add(reverbSend, 1.0f);
    removeOffset(mix);
    for (std::size_t i = 0; i < frames; ++i) {
        mix.left[i] *= master.gain;
        mix.right[i] *= master.gain;
    }
    limit(mix, master.ceiling);
    fadeOut(mix);
    return mix;
}

} // namespace orb::synth
