#pragma once

// JoinedVideo -- one MP4 from the pictures of several, made by orb-render from consecutive parts
// of one render, and the sound mixed here: the pictures are copied, not encoded again, each part
// after the pictures of the ones before it. The renderer's own pictures only keep time: at each,
// the parts' pictures up to it are copied, so that pictures and sound go into the file together.

#include "Encoder.h"
#include "FrameSinks.h"

#include <vector>

struct AVFormatContext;
struct AVPacket;

namespace orb::render {

class JoinedVideo final : public FrameSink
{
public:
    // Check failure() when it did not open.
    JoinedVideo(const std::string& file, std::vector<std::string> parts, double fps);
    ~JoinedVideo() override;
    JoinedVideo(const JoinedVideo&) = delete;
    JoinedVideo& operator=(const JoinedVideo&) = delete;

    bool open() const { return encoder_ != nullptr; }
    bool write(const gfx::FramePixels& frame) override;
    bool writeSound(const float* samples, std::size_t frames) override;
    bool finish(bool keep) override;

private:
    bool openPart(std::size_t index);
    void closePart();
    // Copies the parts' pictures that are decoded before picture `pictures`; all that are left when
    // it is negative.
    bool copyBefore(std::int64_t pictures);
    bool failedWith(const std::string& what);

    std::string file_;
    std::vector<std::string> parts_;
    std::unique_ptr<Encoder> encoder_;
    AVFormatContext* part_ = nullptr;
    int partPictures_ = -1; // the part's picture stream
    std::size_t partIndex_ = 0;
    std::int64_t partStart_ = 0;  // pictures in the parts before it
    std::int64_t partCopied_ = 0; // its pictures copied so far
    AVPacket* packet_ = nullptr;
    bool held_ = false;        // a packet read that is not due yet
    std::int64_t written_ = 0; // the renderer's pictures
};

} // namespace orb::render
