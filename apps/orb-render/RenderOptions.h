#pragma once

// RenderOptions -- what orb-render is asked to do, from its command line.

#include "Failure.h"
#include "Presets.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::render {

struct RenderOptions
{
    // The preset's, or 1280 x 720 at 60 without one, unless given.
    int width = 1280;
    int height = 720;
    double fps = 60.0;
    const Preset* preset = nullptr;
    std::optional<float> aspect; // width / height unless given
    int multisample = 0;
    float start = 0.0f;
    std::optional<float> end; // the script's length unless given
    std::vector<float> at;    // only these times, each as a seek
    bool loop = false;
    // Picture numbers at --fps from the demo's start, both included: a part of a whole render,
    // the same pictures as it has under those numbers.
    std::optional<std::uint64_t> fromPicture, toPicture;
    std::string framesDirectory;        // PNG frames, when not empty
    std::string videoFile;              // a video, when not empty
    std::optional<float> poster;        // the demo time of the video's cover picture
    std::string chaptersFile;           // the video's chapters as lines of text, when not empty
    std::vector<std::string> joinParts; // --video's pictures copied from these, when not empty
    std::string dataDirectory;          // the production's files from here rather than Data.qel
    bool stats = false;
    bool passes = false; // implies stats
    bool help = false;
    bool lastPicture = false; // only tell the number of the whole render's last picture

    const Encoding& encoding() const { return preset != nullptr ? preset->encoding : StandardEncoding; }
};

// Or why the arguments are not usable.
app::Result<RenderOptions> parseOptions(const std::vector<std::string>& arguments);

// --help's text.
std::string usage();

} // namespace orb::render
