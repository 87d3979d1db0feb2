#include "JoinedVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sstream>

namespace orb::render {

namespace {

// The part's sound as orb-render makes it: stereo, encoded as `encoding` says.
bool hasOurSound(const AVFormatContext& part, const SoundEncoding& encoding)
{
    const int index =
        av_find_best_stream(const_cast<AVFormatContext*>(&part), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodec* codec = avcodec_find_encoder_by_name(std::string(encoding.codec).c_str());
    if (index < 0 || codec == nullptr)
        return false;
    const AVCodecParameters& sound = *part.streams[index]->codecpar;
    return sound.codec_id == codec->id && sound.sample_rate == encoding.rate &&
           sound.ch_layout.nb_channels == audio::Channels;
}

bool encodedAs(const AVCodecParameters& pictures, const PictureEncoding& encoding)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(std::string(encoding.codec).c_str());
    return codec != nullptr && pictures.codec_id == codec->id;
}

} // namespace

app::Result<std::unique_ptr<JoinedVideo>> JoinedVideo::open(const Encoder::Settings& settings,
                                                            std::vector<std::string> parts, PictureSpan span)
{
    std::unique_ptr<JoinedVideo> joined(new JoinedVideo(settings.fps, std::move(parts)));
    if (app::Failure failure = joined->start(settings, span))
        return failure;
    return joined;
}

JoinedVideo::JoinedVideo(double fps, std::vector<std::string> parts)
    : fps_(fps), parts_(std::move(parts)), packet_(av_packet_alloc())
{}

JoinedVideo::~JoinedVideo()
{
    static_cast<void>(finish(false)); // removes the file: nothing to report
    closePart();
    av_packet_free(&packet_);
}

app::Failure JoinedVideo::start(const Encoder::Settings& settings, PictureSpan span)
{
    if (packet_ == nullptr)
        return {"av_packet_alloc", Encoder::libraryMessage(AVERROR(ENOMEM))};
    if (app::Failure failure = refusal(settings, span))
        return failure;
    if (app::Failure failure = openPart(0))
        return failure;
    app::Result<PartialFile> file = PartialFile::create(settings.file);
    if (!file)
        return file.failure();
    Encoder::Settings joined = settings;
    joined.file = file->path(); // its pictures numbered as the parts', to be joined in turn
    app::Result<std::unique_ptr<Encoder>> encoder =
        Encoder::openCopying(joined, *part_->streams[partStream_]);
    if (!encoder)
        return encoder.failure();
    file_ = std::move(*file);
    encoder_ = std::move(*encoder);
    return {};
}

app::Failure JoinedVideo::refusal(const Encoder::Settings& settings, PictureSpan span)
{
    if (parts_.empty())
        return {"no parts to join"};
    std::uint64_t next = span.first;
    for (std::size_t index = 0; index < parts_.size(); ++index)
        if (app::Failure failure = partRefusal(index, settings, next))
            return failure;
    if (next != span.last + 1)
        return {"the parts end at picture " + std::to_string(next - 1) + ", the join at " +
                std::to_string(span.last) + ": a part is missing at the end"};
    return {};
}

// Part `index` of the join, whose first picture is to be `next`; moves `next` past it.
app::Failure JoinedVideo::partRefusal(std::size_t index, const Encoder::Settings& settings,
                                      std::uint64_t& next)
{
    const std::string& name = parts_[index];
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error))
        return {name + ": no such part"};
    if (const app::Failure failure = openPart(index))
        return {failure.message(), "the part is damaged or not a video; render it again"};
    const AVCodecParameters& pictures = *part_->streams[partStream_]->codecpar;
    const std::optional<Encoder::Recorded> recorded = Encoder::recorded(*part_);
    if (index == 0)
        firstHeaders_.assign(pictures.extradata, pictures.extradata + pictures.extradata_size);
    std::ostringstream reason;
    if (!recorded)
        reason << name << " was not rendered as numbered pictures (--from-picture, --to-picture)";
    else if (pictures.width != settings.width || pictures.height != settings.height)
        reason << name << " is " << pictures.width << " x " << pictures.height << ", the join "
               << settings.width << " x " << settings.height;
    else if (recorded->rate != Encoder::rateOf(settings.fps))
        reason << name << " has " << recorded->rate << " pictures a second, the join "
               << Encoder::rateOf(settings.fps);
    else if (const SoundEncoding& sound = settings.encoding.sound; !hasOurSound(*part_, sound))
        reason << name << " has no stereo " << sound.codec << " sound at " << sound.rate
               << " Hz, as parts are rendered with these options";
    else if (!encodedAs(pictures, settings.encoding.pictures))
        reason << name << "'s pictures are not " << settings.encoding.pictures.codec
               << "'s, as parts are rendered with these options";
    // Copied pictures decode only with one encoder's set-up: the first part's.
    else if (std::vector<std::uint8_t>(pictures.extradata, pictures.extradata + pictures.extradata_size) !=
             firstHeaders_)
        reason << name << " was encoded otherwise than " << parts_[0];
    else if (recorded->span.first > next)
        reason << "pictures " << next << " to " << recorded->span.first - 1
               << " are in no part: a gap before " << name;
    else if (recorded->span.first < next)
        reason << name << " begins at picture " << recorded->span.first << ", which "
               << (index == 0 ? "comes before the join's first" : "the part before it holds: an overlap");
    else if (const std::int64_t heldBack = firstDecoded(settings.fps); heldBack > 0)
        reason << name << " holds no pictures";
    else {
        partPictures_.push_back(static_cast<std::int64_t>(recorded->span.count()));
        partHeldBack_.push_back(-heldBack);
        heldBack_ = std::max(heldBack_, -heldBack);
        next = recorded->span.last + 1;
    }
    closePart();
    return {reason.str()};
}

// The picture the open part's first packet is decoded at, 0 or before: minus the number of pictures
// its encoder held back to reorder them. 1 when it has no picture.
std::int64_t JoinedVideo::firstDecoded(double fps)
{
    while (av_read_frame(part_, packet_) >= 0) {
        const bool picture = packet_->stream_index == partStream_;
        const std::int64_t decoded = Encoder::pictureAt(packet_->dts, *part_->streams[partStream_], fps);
        av_packet_unref(packet_);
        if (picture)
            return std::min<std::int64_t>(decoded, 0);
    }
    return 1;
}

app::Failure JoinedVideo::openPart(std::size_t index)
{
    closePart();
    partIndex_ = index;
    partCopied_ = 0;
    const std::string& name = parts_[index];
    const std::string url = "file:" + name;
    if (const int result = avformat_open_input(&part_, url.c_str(), nullptr, nullptr); result < 0)
        return {"avformat_open_input " + name, Encoder::libraryMessage(result)};
    if (const int result = avformat_find_stream_info(part_, nullptr); result < 0)
        return {"avformat_find_stream_info " + name, Encoder::libraryMessage(result)};
    partStream_ = av_find_best_stream(part_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (partStream_ < 0)
        return {name + " holds no pictures"};
    return {};
}

void JoinedVideo::closePart()
{
    avformat_close_input(&part_);
    held_ = false;
}

app::Failure JoinedVideo::copyBefore(std::int64_t pictures)
{
    while (part_ != nullptr) {
        if (!held_) {
            const int read = av_read_frame(part_, packet_);
            if (read == AVERROR_EOF) {
                if (partCopied_ != partPictures_[partIndex_])
                    return {parts_[partIndex_] + " holds " + std::to_string(partCopied_) +
                            " pictures of the " + std::to_string(partPictures_[partIndex_]) +
                            " rendered into it: the part is damaged; render it again"};
                partStart_ += partCopied_;
                if (partIndex_ + 1 == parts_.size()) {
                    closePart();
                    return {};
                }
                if (app::Failure failure = openPart(partIndex_ + 1))
                    return failure;
                continue;
            }
            if (read < 0)
                return {"av_read_frame " + parts_[partIndex_], Encoder::libraryMessage(read)};
            if (packet_->stream_index != partStream_) {
                av_packet_unref(packet_);
                continue;
            }
            held_ = true;
        }
        const AVStream& stream = *part_->streams[partStream_];
        const std::int64_t decoded = partStart_ + Encoder::pictureAt(packet_->dts, stream, fps_);
        if (pictures >= 0 && decoded >= pictures)
            return {};
        held_ = false;
        ++partCopied_;
        if (app::Failure failure =
                encoder_->copyPicture(*packet_, stream, partStart_, heldBack_ - partHeldBack_[partIndex_]))
            return failure;
    }
    return {};
}

app::Failure JoinedVideo::write(const gfx::FramePixels&)
{
    return copyBefore(++written_);
}

app::Failure JoinedVideo::writeSound(const float* samples, std::size_t frames)
{
    return encoder_->sound(samples, frames);
}

app::Failure JoinedVideo::complete()
{
    if (app::Failure failure = copyBefore(-1))
        return failure;
    if (partStart_ != written_)
        return {"the parts hold " + std::to_string(partStart_) + " pictures, the span " +
                std::to_string(written_)};
    return encoder_->finish();
}

app::Failure JoinedVideo::finish(bool keep)
{
    if (!encoder_)
        return {};
    app::Failure failure = keep ? complete() : app::Failure{};
    loudness_ = encoder_->loudness();
    encoder_.reset(); // closes the file
    return file_.finish(keep, std::move(failure));
}

} // namespace orb::render
