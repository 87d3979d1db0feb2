#pragma once

// VideoPipe -- ffmpeg encoding an MP4: pictures (B, G, R, A) through one pipe and, when asked
// for, the soundtrack (stereo float at 44100 Hz) through another. No shell, no files between.
//
// ffmpeg decides which pipe it reads next: it probes the pictures before it opens the sound, and
// then takes sound only as far as the encoded pictures have got. So the sound is queued here and
// passed on whenever its pipe has room, also while a picture waits for the other pipe; a picture
// is written in full before the next frame is rendered.

#include "FrameSinks.h"

#include <sys/types.h>
#include <vector>

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
    bool finish() override;

private:
    bool writePicture(const char* bytes, std::size_t size);
    bool passQueuedSound();
    bool passAllQueuedSound();

    pid_t ffmpeg_ = -1;
    int pictures_ = -1; // the pipes' write ends, non-blocking
    int sound_ = -1;
    std::vector<char> queuedSound_;
};

} // namespace orb::render
