#pragma once

// Presets -- what a video is made for, in one table: a video site's 1080p60 and 2160p60, a
// party's archive, a lossless master to encode again later, a quick draft. A preset sets the
// pictures' size and rate and the whole of the encoding; a size or rate given beside it overrides
// its own. A video made without one is encoded as `StandardEncoding` says.
//
//   const Preset* preset = findPreset("web-1080p60");   // null for a name not in the table
//   if (!preset) ... "unknown preset; the presets are " + presetNames()
//   Encoder::Settings settings{file, preset->width, preset->height, preset->fps, true, {}, preset->encoding};

#include "platform/gfx/Backend.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orb::render {

struct PictureEncoding
{
    std::string_view codec = {};       // libavcodec's encoder
    std::string_view pixelFormat = {}; // libavutil's name: "yuv420p", or "bgr0" for the frame's own RGB
    std::string_view profile = {};     // the codec's, or empty for its own choice
    std::string_view speed = {};       // the codec's "preset", or empty
    int quality = -1;                  // the constant quality asked for (x264's crf), or -1
    std::int64_t bitRate = 0;          // the average aimed at, in bits a second, or 0
    // The most, held over a decoder's buffer of twice as much; with `constantRate` also the least,
    // stuffed where the pictures need fewer. 0: no bound.
    std::int64_t maxRate = 0;
    bool constantRate = false;
    double keyframeSeconds = 0;    // from one picture that decodes alone to the next; 0: the codec's own
    std::string_view options = {}; // the codec's own, "name=value:name=value"

    // How the renderer hands the pictures over.
    gfx::PixelLayout layout() const
    {
        return pixelFormat == "bgr0" ? gfx::PixelLayout::Bgra : gfx::PixelLayout::Planar420;
    }
};

struct SoundEncoding
{
    std::string_view codec = {}; // "aac" or "flac"
    int rate = 44100;            // samples a second
    std::int64_t bitRate = 0;    // 0 for a lossless codec
};

struct Encoding
{
    std::string_view format = {};     // libavformat's muxer
    std::string_view formatName = {}; // as a viewer knows it
    std::string_view extension = {};  // of the file's name
    PictureEncoding pictures;
    SoundEncoding sound;
};

struct Preset
{
    std::string_view name = {};
    std::string_view purpose = {};
    int width = 0, height = 0;
    double fps = 60;
    Encoding encoding;
};

// The encoding of a video made without a preset: H.264 fast, AAC at the engine's rate.
extern const Encoding StandardEncoding;

const Preset* findPreset(std::string_view name);
// "web-1080p60, web-2160p60, ..."
std::string presetNames();
// For the usage text: each preset's name, purpose and everything it sets.
std::string presetHelp();

} // namespace orb::render
