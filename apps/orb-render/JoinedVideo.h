#pragma once

// JoinedVideo -- one MP4 from the pictures of several, made by orb-render from consecutive parts
// of one render, and the sound mixed here: the pictures are copied, not encoded again, each part
// after the pictures of the ones before it. The renderer's own pictures only keep time: at each,
// the parts' pictures up to it are copied, so that pictures and sound go into the file together.
//
// Does: check every part before it writes anything: that it is there and whole, of this build's
//       encoding at the join's size and rate, with its sound, encoded as the first, and that their numbered
//       pictures follow one another without a gap or an overlap and cover the span asked for.
// Does not: encode pictures again, or take a video that was not rendered as numbered pictures.
//
//   auto joined = JoinedVideo::open({"demo.mp4", 1280, 720, 60.0, true}, {"a.mp4", "b.mp4"}, {0, 1199});
//   if (!joined) return joined.failure();   // "b.mp4 is 640 x 360, the join 1280 x 720"
//   (*joined)->write(frame);                // each of the span's pictures, only to keep time
//   (*joined)->writeSound(samples, frames);
//   if (const app::Failure failure = (*joined)->finish(true)) ...

#include "Encoder.h"
#include "FrameSinks.h"
#include "PartialFile.h"

#include <vector>

struct AVFormatContext;
struct AVPacket;

namespace orb::render {

class JoinedVideo final : public FrameSink
{
public:
    static constexpr SinkNeeds Needs{gfx::PixelLayout::Bgra, false, true, false};

    // `settings` are the parts' own and the join's (its file the finished one's name), `span` the
    // pictures the join holds.
    static app::Result<std::unique_ptr<JoinedVideo>> open(const Encoder::Settings& settings,
                                                          std::vector<std::string> parts, PictureSpan span);
    ~JoinedVideo() override;
    JoinedVideo(const JoinedVideo&) = delete;
    JoinedVideo& operator=(const JoinedVideo&) = delete;

    app::Failure write(const gfx::FramePixels& frame) override;
    app::Failure writeSound(const float* samples, std::size_t frames) override;
    app::Failure finish(bool keep) override;
    // The sound's loudness, when measured.
    std::string costs() const override { return loudness_; }

private:
    JoinedVideo(double fps, std::vector<std::string> parts);
    app::Failure start(const Encoder::Settings& settings, PictureSpan span);
    // Why the parts cannot make the join; none when they can.
    app::Failure refusal(const Encoder::Settings& settings, PictureSpan span);
    app::Failure partRefusal(std::size_t index, const Encoder::Settings& settings, std::uint64_t& next);
    std::int64_t firstDecoded(double fps);
    app::Failure openPart(std::size_t index);
    void closePart();
    // Copies the parts' pictures that are decoded before picture `pictures`; all that are left when
    // it is negative.
    app::Failure copyBefore(std::int64_t pictures);
    // The pictures left, the encoder's end: the file complete.
    app::Failure complete();

    PartialFile file_;
    double fps_;
    std::vector<std::string> parts_;
    std::vector<std::int64_t> partPictures_; // each part's count, as recorded
    std::vector<std::uint8_t> firstHeaders_; // the first part's picture encoder's set-up
    std::vector<std::int64_t> partHeldBack_; // pictures each part's encoder held back to reorder
    std::int64_t heldBack_ = 0;              // the most any part held back: the join's
    std::unique_ptr<Encoder> encoder_;       // null once finished
    AVFormatContext* part_ = nullptr;
    int partStream_ = -1; // the part's picture stream
    std::size_t partIndex_ = 0;
    std::int64_t partStart_ = 0;  // pictures in the parts before it
    std::int64_t partCopied_ = 0; // its pictures copied so far
    AVPacket* packet_ = nullptr;
    bool held_ = false;        // a packet read that is not due yet
    std::int64_t written_ = 0; // the renderer's pictures
    std::string loudness_;
};

} // namespace orb::render
