#include "JoinedVideo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orb::render {

JoinedVideo::JoinedVideo(const std::string& file, std::vector<std::string> parts, double fps)
    : file_(file), parts_(std::move(parts)), packet_(av_packet_alloc())
{
    if (packet_ == nullptr) {
        failure_ = "av_packet_alloc: " + Encoder::libraryMessage(AVERROR(ENOMEM));
        return;
    }
    if (parts_.empty()) {
        failure_ = "no parts to join";
        return;
    }
    if (!openPart(0))
        return;
    const AVStream& pictures = *part_->streams[partPictures_];
    encoder_ = Encoder::openCopying(
        {partialPath(file), pictures.codecpar->width, pictures.codecpar->height, fps, true}, pictures,
        failure_);
    if (!encoder_)
        std::remove(partialPath(file).c_str());
}

JoinedVideo::~JoinedVideo()
{
    finish(false);
    closePart();
    av_packet_free(&packet_);
}

bool JoinedVideo::failedWith(const std::string& what)
{
    if (failure_.empty())
        failure_ = what;
    return false;
}

bool JoinedVideo::openPart(std::size_t index)
{
    closePart();
    partIndex_ = index;
    partCopied_ = 0;
    const std::string& name = parts_[index];
    const std::string url = "file:" + name;
    if (const int result = avformat_open_input(&part_, url.c_str(), nullptr, nullptr); result < 0)
        return failedWith("avformat_open_input " + name + ": " + Encoder::libraryMessage(result));
    if (const int result = avformat_find_stream_info(part_, nullptr); result < 0)
        return failedWith("avformat_find_stream_info " + name + ": " + Encoder::libraryMessage(result));
    partPictures_ = av_find_best_stream(part_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (partPictures_ < 0)
        return failedWith(name + " holds no pictures");
    if (encoder_) {
        // Copied pictures decode only with the first part's settings: the same size and encoder.
        const AVCodecParameters& first = *part_->streams[partPictures_]->codecpar;
        const AVCodecParameters& joined = encoder_->pictureParameters();
        if (first.width != joined.width || first.height != joined.height ||
            first.codec_id != joined.codec_id || first.extradata_size != joined.extradata_size ||
            std::memcmp(first.extradata, joined.extradata, static_cast<std::size_t>(first.extradata_size)) !=
                0)
            return failedWith(name + " was encoded otherwise than " + parts_[0]);
    }
    return true;
}

void JoinedVideo::closePart()
{
    avformat_close_input(&part_);
    held_ = false;
}

bool JoinedVideo::copyBefore(std::int64_t pictures)
{
    while (part_ != nullptr) {
        if (!held_) {
            const int read = av_read_frame(part_, packet_);
            if (read == AVERROR_EOF) {
                partStart_ += partCopied_;
                if (partIndex_ + 1 == parts_.size()) {
                    closePart();
                    return true;
                }
                if (!openPart(partIndex_ + 1))
                    return false;
                continue;
            }
            if (read < 0)
                return failedWith("av_read_frame " + parts_[partIndex_] + ": " +
                                  Encoder::libraryMessage(read));
            if (packet_->stream_index != partPictures_) {
                av_packet_unref(packet_);
                continue;
            }
            held_ = true;
        }
        const AVStream& stream = *part_->streams[partPictures_];
        const std::int64_t decoded = partStart_ + encoder_->pictureAt(packet_->dts, stream);
        if (pictures >= 0 && decoded >= pictures)
            return true;
        held_ = false;
        ++partCopied_;
        if (!encoder_->copyPicture(*packet_, stream, partStart_))
            return failedWith(encoder_->failure());
    }
    return true;
}

bool JoinedVideo::write(const gfx::FramePixels&)
{
    return open() && failure_.empty() && copyBefore(++written_);
}

bool JoinedVideo::writeSound(const float* samples, std::size_t frames)
{
    return open() && (encoder_->sound(samples, frames) || failedWith(encoder_->failure()));
}

bool JoinedVideo::finish(bool keep)
{
    if (!open())
        return false;
    bool joined = failure_.empty() && (!keep || copyBefore(-1));
    if (joined && keep && partStart_ != written_)
        joined = failedWith("the parts hold " + std::to_string(partStart_) + " pictures, the span " +
                            std::to_string(written_));
    joined = joined && (!keep || encoder_->finish() || failedWith(encoder_->failure()));
    encoder_.reset(); // closes the file
    return settle(file_, joined, keep);
}

} // namespace orb::render
