#pragma once

// VideoFile -- a video written by an Encoder on a thread of its own, so that the renderer goes on
// with the next frame while the last is encoded. It takes pictures as the encoding's layout() says:
// 4:2:0 planes each one picture late, when the renderer has read it back behind the next
// (gfx::PixelLayout::Planar420), or B, G, R, A pixels at once.
// Pictures wait in a few slots, the sound in a buffer; a renderer that gets ahead waits for a
// free slot. The file is written as a PartialFile, and named as itself when it is finished whole.
//
//   app::Result<std::unique_ptr<VideoFile>> video = VideoFile::open({"demo.mp4", 1280, 720, 60.0, true});
//   (*video)->write(frame);                 // each picture, as the renderer reads it back
//   (*video)->writeSound(samples, frames);
//   if (const app::Failure failure = (*video)->finish(true)) ...   // else demo.mp4 is whole

#include "Encoder.h"
#include "FrameSinks.h"
#include "PartialFile.h"

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
    // For 4:2:0 pictures; B, G, R, A ones are not read back behind the next.
    static constexpr SinkNeeds Needs{gfx::PixelLayout::Planar420, true, true, true};

    // `settings.file` is the finished file's name.
    static app::Result<std::unique_ptr<VideoFile>> open(const Encoder::Settings& settings);
    ~VideoFile() override;
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    app::Failure write(const gfx::FramePixels& frame) override;
    app::Failure writeSound(const float* samples, std::size_t frames) override;
    app::Failure finish(bool keep) override;
    // The capture's time against the pictures' length, the encoder's and the renderer's share of
    // the processor, how long each of the renderer and the encoder waited for the other, and the
    // sound's loudness when measured.
    std::string costs() const override;

private:
    static constexpr std::size_t Slots = 3;

    VideoFile(const Encoder::Settings& settings, PartialFile file, std::unique_ptr<Encoder> encoder);
    void encodeAll();
    app::Failure queuePicture(const gfx::FramePixels& frame);
    app::Failure stopEncoding();
    // The last picture, the encoder's end: the file complete.
    app::Failure complete();

    PartialFile file_;
    double fps_;
    gfx::PixelLayout layout_;
    std::size_t pictureBytes_;
    std::unique_ptr<Encoder> encoder_; // null once finished
    std::thread thread_;
    std::optional<gfx::FramePixels> held_; // the last picture, read at the next

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::uint8_t>> queued_; // pictures to encode, in order
    std::vector<std::vector<std::uint8_t>> free_;  // slots to fill
    std::vector<float> sound_;                     // sound to encode before the next picture
    bool ended_ = false;                           // no more pictures or sound will come
    app::Failure encoderFailure_;

    // For costs(), in seconds: from the first picture to the file's end, the process's processor
    // time then, and the encoder's thread's.
    std::chrono::steady_clock::time_point firstPicture_;
    double processorAtFirstPicture_ = 0;
    double captureSeconds_ = 0, processorSeconds_ = 0, encoderSeconds_ = 0;
    double rendererWaited_ = 0, encoderWaited_ = 0; // the encoder's written by its thread
    long pictures_ = 0;
    std::string loudness_; // the sound's, as measured when finished
};

} // namespace orb::render
