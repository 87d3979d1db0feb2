#pragma once

// SoundResampler -- the engine's sound (interleaved stereo float at audio::SampleRate) at another
// rate, through libswresample's soxr engine, for videos whose players want 48000 Hz.
//
// Does: keep time to the sample (the output's frame j is the input's time j / rate, with no delay
//       of the filter's), give the same bytes however the input is split between calls, and end
//       the sound at exactly the length asked for: cut within what the filter still holds (some
//       400 frames), or completed with silence.
// Does not: change the channels or the sample format, mix, or fall back to another resampler when
//           soxr is missing (open() fails instead). After a failure it is only destroyed.
//
//   app::Result<std::unique_ptr<SoundResampler>> resampler = SoundResampler::open(48000);
//   if (!resampler) return resampler.failure();       // "swr_init (soxr): Invalid argument"
//   (*resampler)->convert(samples, frames, sound);    // appends what the filter lets out so far
//   (*resampler)->finish(std::llround(pictures * 48000 / fps), sound);  // the rest: that many in all

#include "Failure.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SwrContext;

namespace orb::render {

class SoundResampler
{
public:
    static app::Result<std::unique_ptr<SoundResampler>> open(int rate);
    ~SoundResampler();
    SoundResampler(const SoundResampler&) = delete;
    SoundResampler& operator=(const SoundResampler&) = delete;

    // Appends to `out` the frames at the new rate that `frames` more input frames let out. Fails
    // after finish().
    app::Failure convert(const float* samples, std::size_t frames, std::vector<float>& out);
    // Appends what the filter still holds, cut or completed with silence so that everything
    // appended since open() is `totalFrames` frames. Fails when more than that is out already.
    app::Failure finish(std::uint64_t totalFrames, std::vector<float>& out);

private:
    SoundResampler() = default;
    app::Failure start(int rate);
    // Runs `frames` input frames through the filter, or, for null `samples`, lets out the rest.
    // Returns the frames appended.
    app::Result<int> run(const float* samples, int frames, std::vector<float>& out);
    static app::Failure failed(std::string call, int result);

    SwrContext* context_ = nullptr;
    std::uint64_t framesOut_ = 0;
    bool finished_ = false;
};

} // namespace orb::render
