#pragma once

// Where orb-render's frames go: numbered PNG files, or a video (VideoPipe.h).

#include "platform/gfx/Backend.h"

#include <cstddef>
#include <string>

namespace orb::render {

class FrameSink
{
public:
    virtual ~FrameSink() = default;
    // False once the sink can take no more (a full disk, ffmpeg gone).
    virtual bool write(const gfx::FramePixels& frame) = 0;
    // The sound that goes with the pictures, interleaved stereo float at 44100 Hz; dropped by
    // sinks without sound.
    virtual bool writeSound(const float*, std::size_t) { return true; }
    // Waits for the output to be complete; false when it failed.
    virtual bool finish() { return true; }
    // What the output's own work cost, as a line for --stats; empty when there is nothing to say.
    virtual std::string costs() const { return {}; }
};

class PngFrames final : public FrameSink
{
public:
    explicit PngFrames(std::string directory) : directory_(std::move(directory)) {}
    bool write(const gfx::FramePixels& frame) override;

private:
    std::string directory_;
    int written_ = 0;
};

} // namespace orb::render
