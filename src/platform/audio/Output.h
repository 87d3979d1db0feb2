#pragma once

// Output -- where the mixed sound goes: the sound card, or nowhere.
//
//   openDeviceOutput   the sound server (PulseAudio or PipeWire), else the default SDL audio device,
//                      at 44100 Hz stereo float; the output's thread pulls from the mixer every
//                      few milliseconds, telling when each mix will be heard, until it is destroyed.
//   openSilentOutput   no device at all (for machines without sound, tests and recordings): time
//                      moves only when the owner pumps frames through the mixer, and what is
//                      mixed goes to the owner's sink, if it gave one.
// Does not: pick a device, change the rate, or own the mixer (destroy outputs first). One
//       output per mixer: each one pulls the streams on.
//
//   std::string error;
//   std::unique_ptr<Output> output = openDeviceOutput(mixer, &error);   // null + reason
//   auto silent = openSilentOutput(mixer, [](const float* samples, std::size_t frames) { ... });
//   silent->pump(SampleRate / 60);                                       // a frame's worth

#include "platform/audio/Mixer.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace orb::audio {

class Output
{
public:
    virtual ~Output() = default;
    // Seconds from a mix to the ear; the device's own buffer and whatever is beyond it.
    virtual double latency() const { return 0.0; }
    // Where the sound goes, for the log.
    virtual std::string description() const { return "nowhere"; }
};

// The sound server, PulseAudio's or PipeWire's, which reports how late what is written is heard;
// failing that (or when SDL_AUDIODRIVER names one of SDL's drivers), SDL's default device.
std::unique_ptr<Output> openDeviceOutput(Mixer& mixer, std::string* error);
// Only the sound server, through its client library if the machine has it.
std::unique_ptr<Output> openPulseOutput(Mixer& mixer, std::string* error);

// Takes `frames` interleaved stereo frames at SampleRate, valid only during the call.
using SampleSink = std::function<void(const float* samples, std::size_t frames)>;

class SilentOutput final : public Output
{
public:
    SilentOutput(Mixer& mixer, SampleSink sink) : mixer_(mixer), sink_(std::move(sink)) {}

    // Mixes `frames` frames into the sink, a chunk at a time, or drops them without one;
    // playing streams advance by as many.
    void pump(std::size_t frames);

private:
    Mixer& mixer_;
    SampleSink sink_;
    std::array<float, Channels * 1024> chunk_{};
};

std::unique_ptr<SilentOutput> openSilentOutput(Mixer& mixer, SampleSink sink = {});

} // namespace orb::audio
