#include "Encoder.h"

#include "platform/audio/Mp3Stream.h"
#include "platform/gfx/Backend.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace orb::render {

namespace {

constexpr std::int64_t SoundBitRate = 192'000;
// The file's own tag for its numbered pictures: "first last rate".
constexpr const char* SpanTag = "orb_pictures";

// One picture's time at `fps` pictures a second.
AVRational pictureDuration(double fps)
{
    return av_inv_q(av_d2q(fps, 1'000'000));
}

} // namespace

app::Failure Encoder::refusal(const Settings& settings)
{
    Encoder trial;
    return trial.openPictureCodec(settings);
}

std::string Encoder::rateOf(double fps)
{
    const AVRational rate = av_inv_q(pictureDuration(fps));
    return std::to_string(rate.num) + "/" + std::to_string(rate.den);
}

void Encoder::record(const Settings& settings)
{
    if (!settings.span)
        return;
    const std::string value = std::to_string(settings.span->first) + " " +
                              std::to_string(settings.span->last) + " " + rateOf(settings.fps);
    av_dict_set(&file_->metadata, SpanTag, value.c_str(), 0);
}

std::optional<Encoder::Recorded> Encoder::recorded(const AVFormatContext& file)
{
    const AVDictionaryEntry* tag = av_dict_get(file.metadata, SpanTag, nullptr, 0);
    Recorded recorded;
    char rate[32] = {};
    if (tag == nullptr ||
        std::sscanf(tag->value, "%" SCNu64 " %" SCNu64 " %31s", &recorded.span.first, &recorded.span.last,
                    rate) != 3 ||
        recorded.span.last < recorded.span.first)
        return std::nullopt;
    recorded.rate = rate;
    return recorded;
}

std::string Encoder::libraryMessage(int result)
{
    char message[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, message, sizeof message);
    return message;
}

std::int64_t Encoder::pictureAt(std::int64_t timestamp, const AVStream& stream, double fps)
{
    return av_rescale_q(timestamp, stream.time_base, pictureDuration(fps));
}

app::Result<std::unique_ptr<Encoder>> Encoder::open(const Settings& settings)
{
    return openWith(settings, nullptr);
}

app::Result<std::unique_ptr<Encoder>> Encoder::openCopying(const Settings& settings, const AVStream& pictures)
{
    return openWith(settings, &pictures);
}

app::Result<std::unique_ptr<Encoder>> Encoder::openWith(const Settings& settings, const AVStream* copied)
{
    std::unique_ptr<Encoder> encoder(new Encoder);
    if (app::Failure failure = encoder->start(settings, copied))
        return failure;
    return encoder;
}

Encoder::~Encoder()
{
    for (Stream* stream : {&pictures_, &sound_}) {
        avcodec_free_context(&stream->codec);
        av_frame_free(&stream->frame);
    }
    av_packet_free(&packet_);
    if (fileOpen_)
        avio_closep(&file_->pb);
    avformat_free_context(file_);
}

app::Failure Encoder::failed(std::string call, int result)
{
    return {std::move(call), libraryMessage(result)};
}

app::Failure Encoder::start(const Settings& settings, const AVStream* copied)
{
    width_ = settings.width;
    height_ = settings.height;
    // "file:" keeps a name with a colon or a leading dash a file name.
    const std::string url = "file:" + settings.file;
    if (const int result = avformat_alloc_output_context2(&file_, nullptr, "mp4", url.c_str()); result < 0)
        return failed("avformat_alloc_output_context2", result);
    // No version strings or times in the file: the same render gives the same bytes.
    file_->flags |= AVFMT_FLAG_BITEXACT;
    packet_ = av_packet_alloc();
    if (packet_ == nullptr)
        return failed("av_packet_alloc", AVERROR(ENOMEM));
    fps_ = settings.fps;
    if (app::Failure failure = copied != nullptr ? addStream(pictures_, copied) : openPictures(settings))
        return failure;
    if (app::Failure failure = settings.withSound ? openSound() : app::Failure{})
        return failure;
    if (const int result = avio_open(&file_->pb, url.c_str(), AVIO_FLAG_WRITE); result < 0)
        return failed("avio_open " + settings.file, result);
    fileOpen_ = true;
    record(settings);
    AVDictionary* options = nullptr;
    // Tags of our own are written only when asked for.
    av_dict_set(&options, "movflags", settings.span ? "+faststart+use_metadata_tags" : "+faststart", 0);
    const int result = avformat_write_header(file_, &options);
    av_dict_free(&options);
    return result < 0 ? failed("avformat_write_header", result) : app::Failure{};
}

app::Failure Encoder::openPictureCodec(const Settings& settings)
{
    // The libraries' own chatter (x264's statistics, for one) is not the viewer's business, and a
    // failure says what went wrong.
    av_log_set_level(AV_LOG_QUIET);
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr)
        return failed("avcodec_find_encoder_by_name libx264", AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext* context = pictures_.codec = avcodec_alloc_context3(codec);
    if (context == nullptr)
        return failed("avcodec_alloc_context3", AVERROR(ENOMEM));
    const AVRational rate = av_inv_q(pictureDuration(settings.fps));
    context->width = settings.width;
    context->height = settings.height;
    context->framerate = rate;
    context->time_base = av_inv_q(rate);
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->color_range = AVCOL_RANGE_MPEG;
    context->colorspace = AVCOL_SPC_BT709;
    context->color_primaries = AVCOL_PRI_BT709;
    context->color_trc = AVCOL_TRC_BT709;
    // One thread, always: the same pictures then give the same bytes.
    context->thread_count = 1;
    context->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(context->priv_data, "preset", "superfast", 0);
    if (const int result = avcodec_open2(context, codec, nullptr); result < 0)
        return failed("avcodec_open2 libx264", result);
    return {};
}

app::Failure Encoder::openPictures(const Settings& settings)
{
    if (app::Failure failure = openPictureCodec(settings))
        return failure;
    AVCodecContext* context = pictures_.codec;
    if (app::Failure failure = addStream(pictures_, nullptr))
        return failure;

    AVFrame* frame = pictures_.frame = av_frame_alloc();
    if (frame == nullptr)
        return failed("av_frame_alloc", AVERROR(ENOMEM));
    frame->format = context->pix_fmt;
    frame->width = settings.width;
    frame->height = settings.height;
    if (const int result = av_frame_get_buffer(frame, 0); result < 0)
        return failed("av_frame_get_buffer", result);
    return {};
}

// The file's stream for `stream`: its encoder's parameters, or those of the stream it copies.
app::Failure Encoder::addStream(Stream& stream, const AVStream* copied)
{
    stream.stream = avformat_new_stream(file_, nullptr);
    if (stream.stream == nullptr)
        return failed("avformat_new_stream", AVERROR(ENOMEM));
    stream.stream->time_base = copied != nullptr ? copied->time_base : stream.codec->time_base;
    const int result = copied != nullptr
                           ? avcodec_parameters_copy(stream.stream->codecpar, copied->codecpar)
                           : avcodec_parameters_from_context(stream.stream->codecpar, stream.codec);
    if (result < 0)
        return failed(copied != nullptr ? "avcodec_parameters_copy" : "avcodec_parameters_from_context",
                      result);
    return {};
}

app::Failure Encoder::openSound()
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr)
        return failed("avcodec_find_encoder aac", AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext* context = sound_.codec = avcodec_alloc_context3(codec);
    if (context == nullptr)
        return failed("avcodec_alloc_context3", AVERROR(ENOMEM));
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->sample_rate = audio::SampleRate;
    av_channel_layout_default(&context->ch_layout, audio::Channels);
    context->bit_rate = SoundBitRate;
    context->time_base = {1, audio::SampleRate};
    context->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int result = avcodec_open2(context, codec, nullptr); result < 0)
        return failed("avcodec_open2 aac", result);
    if (app::Failure failure = addStream(sound_, nullptr))
        return failure;

    AVFrame* frame = sound_.frame = av_frame_alloc();
    if (frame == nullptr)
        return failed("av_frame_alloc", AVERROR(ENOMEM));
    frame->format = context->sample_fmt;
    frame->sample_rate = context->sample_rate;
    frame->nb_samples = context->frame_size;
    if (const int result = av_channel_layout_copy(&frame->ch_layout, &context->ch_layout); result < 0)
        return failed("av_channel_layout_copy", result);
    if (const int result = av_frame_get_buffer(frame, 0); result < 0)
        return failed("av_frame_get_buffer", result);
    return {};
}

app::Failure Encoder::picture(const std::uint8_t* planes)
{
    AVFrame* frame = pictures_.frame;
    if (const int result = av_frame_make_writable(frame); result < 0)
        return failed("av_frame_make_writable", result);
    const gfx::PlanarPlanes layout(width_, height_);
    const std::uint8_t* from[3] = {planes, planes + layout.blueAt, planes + layout.redAt};
    for (int plane = 0; plane < 3; ++plane)
        av_image_copy_plane(frame->data[plane], frame->linesize[plane], from[plane],
                            plane == 0 ? layout.lumaRow : layout.differenceRow,
                            plane == 0 ? width_ : width_ / 2, plane == 0 ? height_ : height_ / 2);
    frame->pts = picturesEncoded_++;
    return encode(pictures_, frame);
}

app::Failure Encoder::sound(const float* samples, std::size_t frames)
{
    if (sound_.codec == nullptr)
        return {};
    heldSound_.insert(heldSound_.end(), samples, samples + frames * audio::Channels);
    const auto whole = static_cast<std::size_t>(sound_.codec->frame_size);
    while (heldSound_.size() >= whole * audio::Channels)
        if (app::Failure failure = encodeSound(whole))
            return failure;
    return {};
}

// Encodes the first `frames` sample frames held back.
app::Failure Encoder::encodeSound(std::size_t frames)
{
    AVFrame* frame = sound_.frame;
    if (const int result = av_frame_make_writable(frame); result < 0)
        return failed("av_frame_make_writable", result);
    frame->nb_samples = static_cast<int>(frames);
    for (int channel = 0; channel < audio::Channels; ++channel) {
        auto* plane = reinterpret_cast<float*>(frame->extended_data[channel]);
        for (std::size_t i = 0; i < frames; ++i)
            plane[i] = heldSound_[i * audio::Channels + channel];
    }
    heldSound_.erase(heldSound_.begin(),
                     heldSound_.begin() + static_cast<std::ptrdiff_t>(frames * audio::Channels));
    frame->pts = soundEncoded_;
    soundEncoded_ += static_cast<std::int64_t>(frames);
    return encode(sound_, frame);
}

app::Failure Encoder::encode(Stream& stream, AVFrame* frame)
{
    if (const int result = avcodec_send_frame(stream.codec, frame); result < 0)
        return failed("avcodec_send_frame", result);
    for (;;) {
        const int received = avcodec_receive_packet(stream.codec, packet_);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return {};
        if (received < 0)
            return failed("avcodec_receive_packet", received);
        // A picture lasts one tick of its rate, the last one too: the file then lasts as long as
        // its pictures, not one picture less.
        if (&stream == &pictures_ && packet_->duration == 0)
            packet_->duration = 1;
        av_packet_rescale_ts(packet_, stream.codec->time_base, stream.stream->time_base);
        if (app::Failure failure = write(*packet_, *stream.stream))
            return failure;
    }
}

const AVCodecParameters& Encoder::pictureParameters() const
{
    return *pictures_.stream->codecpar;
}

app::Failure Encoder::copyPicture(AVPacket& packet, const AVStream& from, std::int64_t later,
                                  std::int64_t decodedEarlier)
{
    av_packet_rescale_ts(&packet, from.time_base, pictures_.stream->time_base);
    const auto shift = [this](std::int64_t pictures) {
        return av_rescale_q(pictures, pictureDuration(fps_), pictures_.stream->time_base);
    };
    packet.pts += shift(later);
    packet.dts += shift(later - decodedEarlier);
    packet.pos = -1;
    return write(packet, *pictures_.stream);
}

// Hands the muxer the packet (which it empties) for `stream`.
app::Failure Encoder::write(AVPacket& packet, const AVStream& stream)
{
    packet.stream_index = stream.index;
    if (const int result = av_interleaved_write_frame(file_, &packet); result < 0)
        return failed("av_interleaved_write_frame", result);
    if (file_->pb->error < 0)
        return failed("writing the file", file_->pb->error);
    return {};
}

app::Failure Encoder::finish()
{
    if (sound_.codec != nullptr && !heldSound_.empty())
        if (app::Failure failure = encodeSound(heldSound_.size() / audio::Channels))
            return failure;
    for (Stream* stream : {&pictures_, &sound_})
        if (app::Failure failure = stream->codec != nullptr ? encode(*stream, nullptr) : app::Failure{})
            return failure;
    if (const int result = av_write_trailer(file_); result < 0)
        return failed("av_write_trailer", result);
    fileOpen_ = false;
    if (const int result = avio_closep(&file_->pb); result < 0)
        return failed("avio_closep", result);
    return {};
}

} // namespace orb::render
