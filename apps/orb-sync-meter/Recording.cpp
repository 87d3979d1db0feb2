#include "Recording.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

namespace orb::sync {
namespace {

struct FormatCloser
{
    void operator()(AVFormatContext* file) const { avformat_close_input(&file); }
};
struct CodecFreer
{
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct PacketFreer
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFreer
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using Decoder = std::unique_ptr<AVCodecContext, CodecFreer>;

std::string libraryMessage(int result)
{
    char message[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, message, sizeof message);
    return message;
}

app::Result<Decoder> openDecoder(const AVStream& stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
    if (codec == nullptr)
        return app::Failure{"no decoder for stream " + std::to_string(stream.index)};
    Decoder decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), stream.codecpar);
    decoder->pkt_timebase = stream.time_base;
    if (const int result = avcodec_open2(decoder.get(), codec, nullptr); result < 0)
        return app::Failure{std::string("avcodec_open2 ") + codec->name, libraryMessage(result)};
    return decoder;
}

double frameTime(const AVFrame& frame, const AVStream& stream)
{
    return static_cast<double>(frame.best_effort_timestamp) * av_q2d(stream.time_base);
}

// Only pictures whose first plane is the luma or grey: what encoders and captures write.
app::Failure addPicture(const AVFrame& frame, const AVStream& stream, Recording& recording)
{
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    if (format == nullptr || (format->flags & AV_PIX_FMT_FLAG_RGB) != 0 || format->comp[0].depth != 8 ||
        format->comp[0].step != 1)
        return {"pictures in " + std::string(format ? format->name : "an unknown format"),
                "wanted 8-bit luma or grey"};
    double sum = 0.0;
    for (int row = 0; row < frame.height; ++row) {
        const std::uint8_t* line = frame.data[0] + static_cast<std::ptrdiff_t>(row) * frame.linesize[0];
        for (int column = 0; column < frame.width; ++column)
            sum += line[column];
    }
    recording.pictures.push_back({frameTime(frame, stream), sum / (double(frame.width) * frame.height)});
    return {};
}

float sampleAt(const AVFrame& frame, int channel, int index)
{
    const int channels = frame.ch_layout.nb_channels;
    switch (frame.format) {
    case AV_SAMPLE_FMT_S16:
        return reinterpret_cast<const std::int16_t*>(frame.data[0])[index * channels + channel] / 32768.0f;
    case AV_SAMPLE_FMT_S16P:
        return reinterpret_cast<const std::int16_t*>(frame.data[channel])[index] / 32768.0f;
    case AV_SAMPLE_FMT_FLT:
        return reinterpret_cast<const float*>(frame.data[0])[index * channels + channel];
    default: // AV_SAMPLE_FMT_FLTP, checked by addSound
        return reinterpret_cast<const float*>(frame.data[channel])[index];
    }
}

app::Failure addSound(const AVFrame& frame, const AVStream& stream, Recording& recording)
{
    const auto format = static_cast<AVSampleFormat>(frame.format);
    if (format != AV_SAMPLE_FMT_S16 && format != AV_SAMPLE_FMT_S16P && format != AV_SAMPLE_FMT_FLT &&
        format != AV_SAMPLE_FMT_FLTP)
        return {std::string("sound in ") + av_get_sample_fmt_name(format), "wanted 16-bit or float samples"};
    if (recording.soundRate == 0)
        recording.soundRate = frame.sample_rate;
    const int channels = frame.ch_layout.nb_channels;
    std::vector<float> mono(static_cast<std::size_t>(frame.nb_samples));
    for (int index = 0; index < frame.nb_samples; ++index) {
        float sum = 0.0f;
        for (int channel = 0; channel < channels; ++channel)
            sum += sampleAt(frame, channel, index);
        mono[static_cast<std::size_t>(index)] = sum / channels;
    }
    placeSound(recording, frameTime(frame, stream), mono);
    return {};
}

// Whether the last `samples` of the sound are silent, so that a move over them cuts nothing heard.
bool endsInSilence(const std::vector<float>& sound, std::size_t samples)
{
    return samples <= sound.size() && std::all_of(sound.end() - static_cast<std::ptrdiff_t>(samples),
                                                  sound.end(), [](float sample) { return sample == 0.0f; });
}

class Reader
{
public:
    app::Failure open(const std::string& path)
    {
        AVFormatContext* opened = nullptr;
        if (const int result = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); result < 0)
            return {"cannot read " + path, libraryMessage(result)};
        file_.reset(opened);
        if (const int result = avformat_find_stream_info(file_.get(), nullptr); result < 0)
            return {"cannot read " + path, libraryMessage(result)};
        video_ = av_find_best_stream(file_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        audio_ = av_find_best_stream(file_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (video_ < 0 || audio_ < 0)
            return {path + " has no " + (video_ < 0 ? "pictures" : "sound")};
        for (const int index : {video_, audio_}) {
            app::Result<Decoder> decoder = openDecoder(*file_->streams[index]);
            if (!decoder)
                return decoder.failure();
            (index == video_ ? videoDecoder_ : audioDecoder_) = std::move(*decoder);
        }
        return {};
    }

    app::Failure readAll(Recording& recording)
    {
        std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
        while (av_read_frame(file_.get(), packet.get()) >= 0) {
            const int index = packet->stream_index;
            app::Failure failure;
            if (index == video_ || index == audio_)
                failure = decode(index, packet.get(), recording);
            av_packet_unref(packet.get());
            if (failure)
                return failure;
        }
        for (const int index : {video_, audio_}) {
            if (app::Failure failure = decode(index, nullptr, recording))
                return failure;
        }
        return {};
    }

private:
    app::Failure decode(int index, const AVPacket* packet, Recording& recording)
    {
        AVCodecContext& decoder = index == video_ ? *videoDecoder_ : *audioDecoder_;
        if (avcodec_send_packet(&decoder, packet) < 0)
            return {}; // a damaged packet: what the rest holds is still worth measuring
        std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
        while (avcodec_receive_frame(&decoder, frame.get()) >= 0) {
            const AVStream& stream = *file_->streams[index];
            app::Failure failure =
                index == video_ ? addPicture(*frame, stream, recording) : addSound(*frame, stream, recording);
            if (failure)
                return failure;
        }
        return {};
    }

    std::unique_ptr<AVFormatContext, FormatCloser> file_;
    int video_ = -1, audio_ = -1;
    Decoder videoDecoder_, audioDecoder_;
};

} // namespace

app::Result<Recording> readRecording(const std::string& path)
{
    Reader reader;
    Recording recording;
    if (app::Failure failure = reader.open(path))
        return failure;
    if (app::Failure failure = reader.readAll(recording))
        return failure;
    if (recording.pictures.empty() || recording.sound.empty())
        return app::Failure{path + " holds no " + (recording.pictures.empty() ? "pictures" : "sound")};
    return recording;
}

void placeSound(Recording& recording, double time, const std::vector<float>& block)
{
    if (recording.sound.empty())
        recording.soundStart = time;
    const double rate = recording.soundRate;
    const auto followOn = static_cast<long long>(recording.sound.size());
    long long first = std::llround((time - recording.soundStart) * rate);
    const auto move = static_cast<std::size_t>(std::llabs(first - followOn));
    const bool jitter = move <= static_cast<std::size_t>(rate / 4000);
    const bool held = move <= static_cast<std::size_t>(rate / 1000) && !endsInSilence(recording.sound, move);
    if (jitter || held)
        first = followOn;
    if (first < 0)
        return;
    const std::size_t end = static_cast<std::size_t>(first) + block.size();
    recording.sound.resize(std::max(recording.sound.size(), end), 0.0f);
    std::copy(block.begin(), block.end(), recording.sound.begin() + first);
}

Recording partOf(const Recording& recording, double from, double to)
{
    Recording part;
    part.soundRate = recording.soundRate;
    const double start = recording.pictures.front().time;
    for (const Recording::Picture& picture : recording.pictures) {
        if (picture.time >= start + from && picture.time < start + to)
            part.pictures.push_back(picture);
    }
    const auto sample = [&](double time) {
        const double index = std::round((start + time - recording.soundStart) * recording.soundRate);
        return static_cast<std::size_t>(std::clamp(index, 0.0, static_cast<double>(recording.sound.size())));
    };
    const std::size_t first = sample(from), last = std::max(first, sample(to));
    part.sound.assign(recording.sound.begin() + static_cast<std::ptrdiff_t>(first),
                      recording.sound.begin() + static_cast<std::ptrdiff_t>(last));
    part.soundStart = recording.soundStart + static_cast<double>(first) / recording.soundRate;
    return part;
}

} // namespace orb::sync
