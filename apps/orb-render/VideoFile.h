#pragma once

// VideoFile -- an MP4 written by an Encoder on a thread of its own, so that the renderer goes on
// with the next frame while the last is encoded. It takes pictures as 4:2:0 planes and each one
// picture late, when the renderer has read it back behind the next (gfx::PixelLayout::Planar420).
// Pictures wait in a few slots, the sound in a buffer; a renderer that gets ahead waits for a
// free slot.

#include "Encoder.h"
#include "FrameSinks.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace orb::render {

class VideoFile final : public FrameSink
{
public:
    static constexpr SinkNeeds Needs{gfx::PixelLayout::Planar420, true, true, true};

    // `settings.file` is the finished file's name. Check failure() when it did not open.
    explicit VideoFile(const Encoder::Settings& settings);
    ~VideoFile() override;
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    bool open() const { return encoder_ != nullptr; }
    bool write(const gfx::FramePixels& frame) override;
    bool writeSound(const float* samples, std::size_t frames) override;
    bool finish(bool keep) override;
    // The capture's time against the pictures' length, the encoder's and the renderer's share of
    // the processor, and how long the renderer waited for the encoder.
    std::string costs() const override;

private:
    static constexpr std::size_t Slots = 3;

    void encodeAll();
    bool queuePicture(const gfx::FramePixels& frame);
    bool stopEncoding();

    std::string file_;
    double fps_;
    std::size_t pictureBytes_;
    std::unique_ptr<Encoder> encoder_;
    std::thread thread_;
    std::optional<gfx::FramePixels> held_; // the last picture, read at the next

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::uint8_t>> queued_; // pictures to encode, in order
    std::vector<std::vector<std::uint8_t>> free_;  // slots to fill
    std::vector<float> sound_;                     // sound to encode before the next picture
    bool ended_ = false;                           // no more pictures or sound will come
    bool encoderFailed_ = false;

    // For costs(), in seconds: from the first picture to the file's end, the process's processor
    // time then, and the encoder's thread's.
    std::chrono::steady_clock::time_point firstPicture_;
    double processorAtFirstPicture_ = 0;
    double captureSeconds_ = 0, processorSeconds_ = 0, encoderSeconds_ = 0;
    double rendererWaited_ = 0;
    long pictures_ = 0;
};

} // namespace orb::render
