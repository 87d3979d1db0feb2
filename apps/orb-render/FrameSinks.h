#pragma once

// Where orb-render's frames go: numbered PNG files, a video (VideoFile.h), a video joined from
// parts (JoinedVideo.h), or nowhere, when a run only times its frames. Each sink declares what it
// needs of the renderer (SinkNeeds). A file only ever appears under its own name whole: it is
// written as a PartialFile first. A sink's calls fail with what failed and why; after a failure
// it is only finished without keeping its output, or destroyed.

#include "Failure.h"
#include "platform/gfx/Backend.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orb::render {

// What a sink needs of the renderer, declared by each sink as its `Needs`.
struct SinkNeeds
{
    gfx::PixelLayout layout = gfx::PixelLayout::Bgra; // how a presented picture is read back
    bool drawnToSize = true; // false: the pictures only keep time, and the smallest will do
    bool sound = false;      // takes the engine's mix
    // Reads each picture back behind the next, so that the rasteriser draws one while the sink
    // takes the other: frames are timed as they are fed, not each to the rasteriser's end.
    bool pipelined = false;
};

class FrameSink
{
public:
    virtual ~FrameSink() = default;
    // Fails once the sink can take no more (a full disk, an encoder's failure).
    virtual app::Failure write(const gfx::FramePixels& frame) = 0;
    // The sound that goes with the pictures, interleaved stereo float at 44100 Hz; dropped by
    // sinks without sound.
    virtual app::Failure writeSound(const float*, std::size_t) { return {}; }
    // Waits for the output to be complete and keeps it when `keep` holds; an output not kept, or
    // cut short, is removed.
    virtual app::Failure finish(bool keep) = 0;
    // What the output's own work cost, as a line for --stats; empty when there is nothing to say.
    virtual std::string costs() const { return {}; }
};

// A run that only times its frames.
class NoPictures final : public FrameSink
{
public:
    static constexpr SinkNeeds Needs{};
    app::Failure write(const gfx::FramePixels&) override { return {}; }
    app::Failure finish(bool) override { return {}; }
};

// Writes `bytes` as the whole of `file`, by way of its partial file: on failure nothing is left.
app::Failure writeWhole(const std::string& file, const std::vector<unsigned char>& bytes);

class PngFrames final : public FrameSink
{
public:
    static constexpr SinkNeeds Needs{};
    explicit PngFrames(std::string directory) : directory_(std::move(directory)) {}
    app::Failure write(const gfx::FramePixels& frame) override;
    // Every frame on disk is whole, so an interrupted run keeps what it wrote.
    app::Failure finish(bool) override { return {}; }

private:
    std::string directory_;
    int written_ = 0;
};

// One picture as a PNG file's bytes, into `png`: a video's poster.
class PngPicture final : public FrameSink
{
public:
    static constexpr SinkNeeds Needs{};
    explicit PngPicture(std::shared_ptr<std::vector<unsigned char>> png) : png_(std::move(png)) {}
    app::Failure write(const gfx::FramePixels& frame) override;
    app::Failure finish(bool) override { return {}; }

private:
    std::shared_ptr<std::vector<unsigned char>> png_;
};

} // namespace orb::render
