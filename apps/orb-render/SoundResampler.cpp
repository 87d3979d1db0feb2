#include "SoundResampler.h"

#include "Encoder.h"
#include "platform/audio/Mp3Stream.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>

namespace orb::render {

namespace {

// soxr's high quality: nothing above 22.05 kHz, where only images can be, comes within some
// 135 dB of the sound, far beneath what the AAC encoder keeps; 28 bits would only lower that floor,
// at half as much time again. Set rather than left to the library's default, so that a render's
// bytes do not change with it.
constexpr double Precision = 20;
// Pieces small enough for swr_convert's int counts and for the room made for their output.
constexpr std::size_t FramesAtOnce = 1 << 16;

} // namespace

app::Result<std::unique_ptr<SoundResampler>> SoundResampler::open(int rate)
{
    std::unique_ptr<SoundResampler> resampler(new SoundResampler);
    if (app::Failure failure = resampler->start(rate))
        return failure;
    return resampler;
}

SoundResampler::~SoundResampler()
{
    swr_free(&context_);
}

app::Failure SoundResampler::failed(std::string call, int result)
{
    return {std::move(call), Encoder::libraryMessage(result)};
}

app::Failure SoundResampler::start(int rate)
{
    AVChannelLayout stereo = {};
    av_channel_layout_default(&stereo, audio::Channels);
    if (const int result = swr_alloc_set_opts2(&context_, &stereo, AV_SAMPLE_FMT_FLT, rate, &stereo,
                                               AV_SAMPLE_FMT_FLT, audio::SampleRate, 0, nullptr);
        result < 0)
        return failed("swr_alloc_set_opts2", result);
    if (const int result = av_opt_set(context_, "resampler", "soxr", 0); result < 0)
        return failed("av_opt_set resampler soxr", result);
    if (const int result = av_opt_set_double(context_, "precision", Precision, 0); result < 0)
        return failed("av_opt_set_double precision", result);
    // Fails here, rather than resampling with another engine, in an FFmpeg built without soxr.
    if (const int result = swr_init(context_); result < 0)
        return failed("swr_init (soxr)", result);
    return {};
}

app::Failure SoundResampler::convert(const float* samples, std::size_t frames, std::vector<float>& out)
{
    // soxr writes out of bounds when given input after its end.
    if (finished_)
        return {"SoundResampler::convert", "the sound is finished"};
    // Never hands swr_convert no input: that is how it is told that the input has ended.
    while (frames > 0) {
        const std::size_t piece = std::min(frames, FramesAtOnce);
        if (const app::Result<int> appended = run(samples, static_cast<int>(piece), out); !appended)
            return appended.failure();
        samples += piece * audio::Channels;
        frames -= piece;
    }
    return {};
}

// soxr takes its filter's delay off itself: the first frame out is the input's time 0, and
// nothing is dropped here.
app::Result<int> SoundResampler::run(const float* samples, int frames, std::vector<float>& out)
{
    const int room = swr_get_out_samples(context_, frames);
    if (room < 0)
        return failed("swr_get_out_samples", room);
    const std::size_t before = out.size();
    out.resize(before + static_cast<std::size_t>(room) * audio::Channels);
    auto* into = reinterpret_cast<std::uint8_t*>(out.data() + before);
    const auto* from = reinterpret_cast<const std::uint8_t*>(samples);
    const int appended = swr_convert(context_, &into, room, samples != nullptr ? &from : nullptr, frames);
    out.resize(before + static_cast<std::size_t>(std::max(appended, 0)) * audio::Channels);
    if (appended < 0)
        return failed("swr_convert", appended);
    framesOut_ += static_cast<std::uint64_t>(appended);
    return appended;
}

app::Failure SoundResampler::finish(std::uint64_t totalFrames, std::vector<float>& out)
{
    finished_ = true;
    if (framesOut_ > totalFrames)
        return {"SoundResampler::finish", std::to_string(framesOut_) +
                                              " frames are out already, more than the " +
                                              std::to_string(totalFrames) + " asked for"};
    const std::size_t before = out.size();
    const std::uint64_t owed = totalFrames - framesOut_;
    for (;;) {
        const app::Result<int> appended = run(nullptr, 0, out);
        if (!appended)
            return appended.failure();
        if (*appended == 0)
            break;
    }
    out.resize(before + owed * audio::Channels, 0.0f);
    framesOut_ = totalFrames;
    return {};
}

} // namespace orb::render
