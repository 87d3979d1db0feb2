#pragma once

// Loudness -- a video's sound as a loudness meter reads it, through libebur128: the integrated
// loudness (EBU R128, in LUFS) and the true peak (in dBTP, the highest of the channels), which
// video sites and broadcasters set their limits in.
//
//   app::Result<std::unique_ptr<Loudness>> meter = Loudness::open(48000);
//   (*meter)->add(samples, frames);      // interleaved stereo float, as it goes into the file
//   std::string line = (*meter)->report();  // "sound: -14.2 LUFS integrated, true peak -1.1 dBTP\n"

#include "Failure.h"

#include <cstddef>
#include <ebur128.h>
#include <memory>
#include <string>

namespace orb::render {

class Loudness
{
public:
    static app::Result<std::unique_ptr<Loudness>> open(int rate);
    ~Loudness();
    Loudness(const Loudness&) = delete;
    Loudness& operator=(const Loudness&) = delete;

    void add(const float* samples, std::size_t frames);
    // LUFS; minus infinity for sound too short or too quiet to measure.
    double integrated() const;
    // dBTP; minus infinity for silence.
    double truePeak() const;
    std::string report() const;

private:
    explicit Loudness(ebur128_state* state) : state_(state) {}

    ebur128_state* state_;
};

} // namespace orb::render
