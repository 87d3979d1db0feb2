#pragma once

// Output -- where the mixed sound goes: the sound card, or nowhere.
//
//   openDeviceOutput   the default SDL audio device at 44100 Hz stereo float; SDL's audio thread
//                      pulls from the mixer every few milliseconds until the output is destroyed.
//   openSilentOutput   no device at all (for machines without sound, and for tests): time moves
//                      only when the owner pumps frames through the mixer.
// Does not: pick a device, change the rate, or own the mixer (destroy outputs first). One
//       output per mixer: each one pulls the streams on.
//
//   std::string error;
//   std::unique_ptr<Output> output = openDeviceOutput(mixer, &error);   // null + reason
//   auto silent = openSilentOutput(mixer);
//   silent->pump(SampleRate / 60);                                       // a frame's worth

#include "platform/audio/Mixer.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace orb::audio {

class Output
{
public:
    virtual ~Output() = default;
};

std::unique_ptr<Output> openDeviceOutput(Mixer& mixer, std::string* error);

class SilentOutput final : public Output
{
public:
    explicit SilentOutput(Mixer& mixer) : mixer_(mixer) {}

    // Mixes `frames` frames and drops them; playing streams advance by as many.
    void pump(std::size_t frames);

private:
    Mixer& mixer_;
    std::array<float, Channels * 1024> discarded_{};
};

std::unique_ptr<SilentOutput> openSilentOutput(Mixer& mixer);

} // namespace orb::audio
