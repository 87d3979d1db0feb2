#pragma once

// Where orb-render's frames go: numbered PNG files, or ffmpeg through a pipe.

#include "platform/gfx/Backend.h"

#include <cstdio>
#include <string>

namespace orb::render {

class FrameSink
{
public:
    virtual ~FrameSink() = default;
    // False once the sink can take no more (a full disk, ffmpeg gone).
    virtual bool write(const gfx::FramePixels& frame) = 0;
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

class VideoPipe final : public FrameSink
{
public:
    // `music` names an audio file to mux in from `musicStart` seconds on; empty for none.
    VideoPipe(const std::string& file, int width, int height, double fps, const std::string& music,
              double musicStart);
    ~VideoPipe() override;
    bool open() const { return pipe_ != nullptr; }
    bool write(const gfx::FramePixels& frame) override;
    // Waits for ffmpeg; false when it failed.
    bool finish();

private:
    FILE* pipe_ = nullptr;
};

} // namespace orb::render
