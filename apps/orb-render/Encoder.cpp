#include "Encoder.h"

#include "Loudness.h"
#include "SoundResampler.h"
#include "platform/audio/Mp3Stream.h"
#include "platform/gfx/Backend.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace orb::render {

namespace {

// The file's own tag for its numbered pictures: "first last rate".
constexpr const char* SpanTag = "orb_pictures";

// One picture's time at `fps` pictures a second.
AVRational pictureDuration(double fps)
{
    return av_inv_q(av_d2q(fps, 1'000'000));
}

std::string text(std::string_view view)
{
    return std::string(view);
}

// The codec's first sample format among those the mix is written in: planar float, or 32-bit
// integers for a lossless codec.
AVSampleFormat soundFormatOf(const AVCodec& codec)
{
    for (const AVSampleFormat* format = codec.sample_fmts; format && *format != AV_SAMPLE_FMT_NONE; ++format)
        if (*format == AV_SAMPLE_FMT_FLTP || *format == AV_SAMPLE_FMT_S32)
            return *format;
    return AV_SAMPLE_FMT_NONE;
}

} // namespace

std::string Encoder::missingEncoder(const Encoding& encoding)
{
    for (const std::string_view codec : {encoding.pictures.codec, encoding.sound.codec})
        if (avcodec_find_encoder_by_name(text(codec).c_str()) == nullptr)
            return text(codec);
    return {};
}

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
    layout_ = settings.encoding.pictures.layout();
    // "file:" keeps a name with a colon or a leading dash a file name.
    const std::string url = "file:" + settings.file;
    const std::string format = text(settings.encoding.format);
    if (const int result = avformat_alloc_output_context2(&file_, nullptr, format.c_str(), url.c_str());
        result < 0)
        return failed("avformat_alloc_output_context2", result);
    // No version strings or times in the file: the same render gives the same bytes.
    file_->flags |= AVFMT_FLAG_BITEXACT;
    packet_ = av_packet_alloc();
    if (packet_ == nullptr)
        return failed("av_packet_alloc", AVERROR(ENOMEM));
    fps_ = settings.fps;
    if (app::Failure failure = copied != nullptr ? addStream(pictures_, copied) : openPictures(settings))
        return failure;
    if (app::Failure failure = settings.withSound ? openSound(settings.encoding.sound) : app::Failure{})
        return failure;
    if (settings.withSound && settings.measureLoudness) {
        app::Result<std::unique_ptr<Loudness>> meter = Loudness::open(settings.encoding.sound.rate);
        if (!meter)
            return meter.failure();
        loudness_ = std::move(*meter);
    }
    if (app::Failure failure = addChapters(settings.chapters))
        return failure;
    if (app::Failure failure = settings.cover.empty() ? app::Failure{} : addCover(settings.cover, format))
        return failure;
    if (const int result = avio_open(&file_->pb, url.c_str(), AVIO_FLAG_WRITE); result < 0)
        return failed("avio_open " + settings.file, result);
    fileOpen_ = true;
    record(settings);
    AVDictionary* options = nullptr;
    // Tags of our own are written only when asked for.
    if (format == "mp4") {
        av_dict_set(&options, "movflags", settings.span ? "+faststart+use_metadata_tags" : "+faststart", 0);
        // The file's lengths (the sound's edit list among them) to the sample, not the millisecond.
        av_dict_set_int(&options, "movie_timescale", settings.encoding.sound.rate, 0);
    }
    const int result = avformat_write_header(file_, &options);
    av_dict_free(&options);
    if (result < 0)
        return failed("avformat_write_header", result);
    return cover_ != nullptr ? writeCover(settings.cover) : app::Failure{};
}

app::Failure Encoder::addChapters(const std::vector<Chapter>& chapters)
{
    for (const Chapter& chapter : chapters) {
        auto* added = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        auto** grown = added == nullptr ? nullptr
                                        : static_cast<AVChapter**>(av_realloc_array(
                                              file_->chapters, file_->nb_chapters + 1, sizeof(AVChapter*)));
        if (grown == nullptr) {
            av_free(added);
            return failed("av_realloc_array", AVERROR(ENOMEM));
        }
        file_->chapters = grown;
        file_->chapters[file_->nb_chapters++] = added; // freed with the file
        added->id = file_->nb_chapters;
        added->time_base = pictureDuration(fps_);
        added->start = chapter.first;
        added->end = chapter.end;
        av_dict_set(&added->metadata, "title", chapter.title.c_str(), 0);
    }
    return {};
}

// Matroska keeps a cover as an attachment named so; MP4 as a picture stream's one picture.
app::Failure Encoder::addCover(const std::vector<std::uint8_t>& png, std::string_view format)
{
    AVStream* stream = avformat_new_stream(file_, nullptr);
    if (stream == nullptr)
        return failed("avformat_new_stream", AVERROR(ENOMEM));
    stream->codecpar->codec_id = AV_CODEC_ID_PNG;
    if (format == "matroska") {
        stream->codecpar->codec_type = AVMEDIA_TYPE_ATTACHMENT;
        stream->codecpar->extradata =
            static_cast<std::uint8_t*>(av_mallocz(png.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (stream->codecpar->extradata == nullptr)
            return failed("av_mallocz", AVERROR(ENOMEM));
        std::copy(png.begin(), png.end(), stream->codecpar->extradata);
        stream->codecpar->extradata_size = static_cast<int>(png.size());
        av_dict_set(&stream->metadata, "filename", "cover.png", 0);
        av_dict_set(&stream->metadata, "mimetype", "image/png", 0);
        return {};
    }
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->width = width_;
    stream->codecpar->height = height_;
    stream->disposition = AV_DISPOSITION_ATTACHED_PIC;
    cover_ = stream;
    return {};
}

app::Failure Encoder::writeCover(const std::vector<std::uint8_t>& png)
{
    if (const int result = av_new_packet(packet_, static_cast<int>(png.size())); result < 0)
        return failed("av_new_packet", result);
    std::copy(png.begin(), png.end(), packet_->data);
    packet_->flags |= AV_PKT_FLAG_KEY;
    packet_->pts = packet_->dts = 0;
    return write(*packet_, *cover_);
}

app::Failure Encoder::openPictureCodec(const Settings& settings)
{
    // The libraries' own chatter (x264's statistics, for one) is not the viewer's business, and a
    // failure says what went wrong.
    av_log_set_level(AV_LOG_QUIET);
    const PictureEncoding& encoding = settings.encoding.pictures;
    const std::string name = text(encoding.codec);
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr)
        return failed("avcodec_find_encoder_by_name " + name, AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext* context = pictures_.codec = avcodec_alloc_context3(codec);
    if (context == nullptr)
        return failed("avcodec_alloc_context3", AVERROR(ENOMEM));
    const AVRational rate = av_inv_q(pictureDuration(settings.fps));
    context->width = settings.width;
    context->height = settings.height;
    context->framerate = rate;
    context->time_base = av_inv_q(rate);
    context->pix_fmt = av_get_pix_fmt(text(encoding.pixelFormat).c_str());
    const bool rgb = encoding.layout() == gfx::PixelLayout::Bgra;
    context->color_range = rgb ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    context->colorspace = rgb ? AVCOL_SPC_RGB : AVCOL_SPC_BT709;
    context->color_primaries = AVCOL_PRI_BT709;
    context->color_trc = rgb ? AVCOL_TRC_IEC61966_2_1 : AVCOL_TRC_BT709;
    // A picture that decodes alone at least every so many seconds; the codec's own rule without.
    if (encoding.keyframeSeconds > 0)
        context->gop_size =
            std::max(1, static_cast<int>(std::lround(encoding.keyframeSeconds * settings.fps)));
    context->bit_rate = encoding.bitRate;
    context->rc_max_rate = encoding.maxRate;
    context->rc_min_rate = encoding.constantRate ? encoding.bitRate : 0;
    context->rc_buffer_size = static_cast<int>(2 * encoding.maxRate);
    // One thread, always: the same pictures then give the same bytes.
    context->thread_count = 1;
    context->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    av_dict_parse_string(&options, text(encoding.options).c_str(), "=", ":", 0);
    if (!encoding.speed.empty())
        av_dict_set(&options, "preset", text(encoding.speed).c_str(), 0);
    if (!encoding.profile.empty())
        av_dict_set(&options, "profile", text(encoding.profile).c_str(), 0);
    if (encoding.quality >= 0)
        av_dict_set_int(&options, "crf", encoding.quality, 0);
    const int result = avcodec_open2(context, codec, &options);
    const AVDictionaryEntry* unused = av_dict_get(options, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    const std::string unknown = unused != nullptr ? unused->key : "";
    av_dict_free(&options);
    if (result < 0)
        return failed("avcodec_open2 " + name, result);
    if (!unknown.empty())
        return {"avcodec_open2 " + name, "it has no option " + unknown};
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
    // Said outright: Matroska keeps times to the millisecond, from which 60 pictures a second read
    // as 59.94.
    if (&stream == &pictures_)
        stream.stream->avg_frame_rate = av_inv_q(pictureDuration(fps_));
    const int result = copied != nullptr
                           ? avcodec_parameters_copy(stream.stream->codecpar, copied->codecpar)
                           : avcodec_parameters_from_context(stream.stream->codecpar, stream.codec);
    if (result < 0)
        return failed(copied != nullptr ? "avcodec_parameters_copy" : "avcodec_parameters_from_context",
                      result);
    return {};
}

app::Failure Encoder::openSound(const SoundEncoding& sound)
{
    const std::string name = text(sound.codec);
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr)
        return failed("avcodec_find_encoder_by_name " + name, AVERROR_ENCODER_NOT_FOUND);
    AVCodecContext* context = sound_.codec = avcodec_alloc_context3(codec);
    if (context == nullptr)
        return failed("avcodec_alloc_context3", AVERROR(ENOMEM));
    context->sample_fmt = soundFormatOf(*codec);
    if (context->sample_fmt == AV_SAMPLE_FMT_NONE)
        return {"avcodec_open2 " + name, "it takes neither float nor 32-bit samples"};
    // 24 bits of a float mix keep what 16 would round away: its quietest detail lies far below.
    if (context->sample_fmt == AV_SAMPLE_FMT_S32)
        context->bits_per_raw_sample = 24;
    context->sample_rate = sound.rate;
    av_channel_layout_default(&context->ch_layout, audio::Channels);
    context->bit_rate = sound.bitRate;
    context->time_base = {1, sound.rate};
    context->flags |= AV_CODEC_FLAG_BITEXACT | AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int result = avcodec_open2(context, codec, nullptr); result < 0)
        return failed("avcodec_open2 " + name, result);
    if (sound.rate != audio::SampleRate) {
        app::Result<std::unique_ptr<SoundResampler>> resampler = SoundResampler::open(sound.rate);
        if (!resampler)
            return resampler.failure();
        resampler_ = std::move(*resampler);
    }
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

app::Failure Encoder::picture(const std::uint8_t* pixels)
{
    AVFrame* frame = pictures_.frame;
    if (const int result = av_frame_make_writable(frame); result < 0)
        return failed("av_frame_make_writable", result);
    if (layout_ == gfx::PixelLayout::Bgra) {
        av_image_copy_plane(frame->data[0], frame->linesize[0], pixels, 4 * width_, 4 * width_, height_);
    } else {
        const gfx::PlanarPlanes layout(width_, height_);
        const std::uint8_t* from[3] = {pixels, pixels + layout.blueAt, pixels + layout.redAt};
        for (int plane = 0; plane < 3; ++plane)
            av_image_copy_plane(frame->data[plane], frame->linesize[plane], from[plane],
                                plane == 0 ? layout.lumaRow : layout.differenceRow,
                                plane == 0 ? width_ : width_ / 2, plane == 0 ? height_ : height_ / 2);
    }
    frame->pts = picturesEncoded_++;
    return encode(pictures_, frame);
}

app::Failure Encoder::sound(const float* samples, std::size_t frames)
{
    if (sound_.codec == nullptr)
        return {};
    if (resampler_) {
        if (app::Failure failure = resampler_->convert(samples, frames, heldSound_))
            return failure;
    } else {
        heldSound_.insert(heldSound_.end(), samples, samples + frames * audio::Channels);
    }
    return encodeWholeSoundFrames();
}

app::Failure Encoder::encodeWholeSoundFrames()
{
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
    if (loudness_)
        loudness_->add(heldSound_.data(), frames);
    if (frame->format == AV_SAMPLE_FMT_S32) {
        auto* interleaved = reinterpret_cast<std::int32_t*>(frame->data[0]);
        for (std::size_t i = 0; i < frames * audio::Channels; ++i)
            interleaved[i] = static_cast<std::int32_t>(
                std::lround(std::clamp(heldSound_[i], -1.0f, 1.0f) * 8'388'607.0f) * 256);
    } else {
        for (int channel = 0; channel < audio::Channels; ++channel) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[channel]);
            for (std::size_t i = 0; i < frames; ++i)
                plane[i] = heldSound_[i * audio::Channels + channel];
        }
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

std::string Encoder::loudness() const
{
    return loudness_ ? loudness_->report() : std::string{};
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
    ++picturesCopied_;
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

// The sound left: at another rate than the engine's, what the resampler holds, the whole made
// exactly as long as the pictures to the sample.
app::Failure Encoder::finishSound()
{
    if (resampler_) {
        const auto pictures = static_cast<double>(picturesEncoded_ + picturesCopied_);
        const auto frames =
            static_cast<std::uint64_t>(std::llround(pictures * sound_.codec->sample_rate / fps_));
        if (app::Failure failure = resampler_->finish(frames, heldSound_))
            return failure;
        if (app::Failure failure = encodeWholeSoundFrames())
            return failure;
    }
    return heldSound_.empty() ? app::Failure{} : encodeSound(heldSound_.size() / audio::Channels);
}

app::Failure Encoder::finish()
{
    if (app::Failure failure = sound_.codec != nullptr ? finishSound() : app::Failure{})
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
