#pragma once

// VideoFile -- an MP4 written by an Encoder on a thread of its own, so that the renderer goes on
// with the next frame while the last is encoded. Pictures wait in a few slots, the sound in a
// buffer; a renderer that gets ahead waits for a free slot.

#include "Encoder.h"
#include "FrameSinks.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace orb::render {

class VideoFile final : public FrameSink
{
public:
    // Check failure() when it did not open.
    VideoFile(const std::string& file, int width, int height, double fps, bool withSound);
    ~VideoFile() override;
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    bool open() const { return encoder_ != nullptr; }
    bool write(const gfx::FramePixels& frame) override;
    bool writeSound(const float* samples, std::size_t frames) override;
    bool finish(bool keep) override;
    // How long the renderer waited for the encoder, and the encoder's processor time.
    std::string costs() const override;

private:
    static constexpr std::size_t Slots = 3;

    void encodeAll();
    bool stopEncoding();

    std::string file_;
    std::size_t pictureBytes_;
    std::unique_ptr<Encoder> encoder_;
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::uint8_t>> queued_; // pictures to encode, in order
    std::vector<std::vector<std::uint8_t>> free_;  // slots to fill
    std::vector<float> sound_;                     // sound to encode before the next picture
    bool ended_ = false;                           // no more pictures or sound will come
    bool encoderFailed_ = false;

    double rendererWaited_ = 0; // seconds
    long pictures_ = 0;
    double encoderSeconds_ = 0; // its thread's processor time, once it has ended
};

} // namespace orb::render
