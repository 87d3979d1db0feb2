#pragma once

#include "Voice.h"

#include <string>

namespace orb::synth {

// A 16-bit PCM stereo WAV file at SampleRate; false when it cannot be written.
bool writeWav(const std::string& path, const StereoBuffer& sound);

} // namespace orb::synth
