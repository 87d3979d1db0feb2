#pragma once

// Test sounds: audio synthesised here, encoded to MP3 by the lame program at run time, and the
// decoder's whole output as the reference that mixed sound is compared with.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orb::audio::test {

struct Sound
{
    int rate = 44100;
    int channels = 2;
    std::vector<float> samples; // interleaved, -1 to 1
    std::size_t frames() const { return samples.size() / channels; }
};

// `seconds` of `signal(channel, time in seconds)` at `rate` Hz.
Sound synthesise(int rate, int channels, double seconds, const std::function<float(int, double)>& signal);

// Left: a sweep from 200 Hz up to 2 kHz; right: a steady 1500 Hz tone; both at half amplitude.
Sound sweepAndTone(double seconds);

// The sound as a 16-bit WAV file's bytes.
std::vector<unsigned char> wavBytes(const Sound& sound);

// The sound encoded by lame with `options` (by default 192 kbit/s with a LAME tag and no ID3
// tag); empty when lame fails.
std::vector<unsigned char> encodeMp3(const Sound& sound, const std::string& options = "-b 192");

// sweepAndTone(3.0) encoded with the default options, once per process.
const std::vector<unsigned char>& sweepMp3();

// Every frame Mp3Stream decodes from the bytes, interleaved stereo; empty when they do not open.
std::vector<float> decodeAll(const std::vector<unsigned char>& mp3);

} // namespace orb::audio::test
