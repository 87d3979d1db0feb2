#pragma once

// VideoPipe -- ffmpeg encoding an MP4: pictures (B, G, R, A) through one pipe and, when asked
// for, the soundtrack (stereo float at 44100 Hz) through another. No shell, no files between.
//
// ffmpeg decides which pipe it reads when. It opens its inputs one after the other, and opening
// the sound reads a whole packet of it (up to a tenth of a second) while the pictures wait; later
// it takes sound only as far as the encoded pictures have got. So nothing here waits for one
// pipe while the other has something queued: the sound is queued for as long as it takes, and
// pictures up to a quarter of a second's worth, so that their sound can go ahead.

#include "FrameSinks.h"
#include "Outbox.h"

#include <sys/types.h>

namespace orb::render {

class VideoPipe final : public FrameSink
{
public:
    VideoPipe(const std::string& file, int width, int height, double fps, bool withSound);
    ~VideoPipe() override;
    VideoPipe(const VideoPipe&) = delete;
    VideoPipe& operator=(const VideoPipe&) = delete;

    bool open() const { return ffmpeg_ > 0; }
    bool write(const gfx::FramePixels& frame) override;
    bool writeSound(const float* samples, std::size_t frames) override;
    bool finish(bool keep) override;
    // How long the renderer waited for the encoder, how often the encoder had run dry before a
    // picture, and the encoder's processor time.
    std::string costs() const override;

private:
    bool passUntil(std::size_t pictureBytes, std::size_t soundBytes);
    bool endEncoder();

    std::string file_;
    pid_t ffmpeg_ = -1;
    Outbox pictures_;
    Outbox sound_;
    std::size_t maxQueuedPictureBytes_;
    double rendererWaited_ = 0; // seconds in write(), for room in the pipes
    long picturesWritten_ = 0;
    long encoderRanDry_ = 0;    // pictures that found the encoder had read every byte before them
    double encoderSeconds_ = 0; // processor time, once it has ended
};

} // namespace orb::render
