#include "Presets.h"

#include <array>
#include <cstdio>

namespace orb::render {

namespace {

constexpr std::int64_t Mbit = 1'000'000;

// The sound video sites ask for: AAC-LC at 48 kHz.
constexpr SoundEncoding SiteSound{"aac", 48000, 384'000};

// clang-format off
const std::array<Preset, 5> Presets{{
    {"web-1080p60", "a video site's 1080p60", 1920, 1080, 60,
     {"mp4", "MP4", ".mp4",
      {.codec = "libx264", .pixelFormat = "yuv420p", .profile = "high", .speed = "medium",
       .quality = 18, .maxRate = 12 * Mbit, .keyframeSeconds = 0.5},
      SiteSound}},
    {"web-2160p60", "a video site's 2160p60", 3840, 2160, 60,
     {"mp4", "MP4", ".mp4",
      {.codec = "libx264", .pixelFormat = "yuv420p", .profile = "high", .speed = "fast",
       .bitRate = 53 * Mbit, .maxRate = 68 * Mbit, .keyframeSeconds = 0.5},
      SiteSound}},
    {"party", "a party's archive", 1920, 1080, 60,
     {"mp4", "MP4", ".mp4",
      {.codec = "libx264", .pixelFormat = "yuv420p", .profile = "high", .speed = "medium",
       .bitRate = 10 * Mbit, .maxRate = 10 * Mbit, .constantRate = true, .keyframeSeconds = 2,
       .options = "nal-hrd=cbr"},
      {"aac", 48000, 320'000}}},
    {"master", "a lossless master, to encode again later", 1920, 1080, 60,
     {"matroska", "Matroska", ".mkv",
      {.codec = "ffv1", .pixelFormat = "bgr0", .keyframeSeconds = 1,
       .options = "level=3:coder=range_def:slices=4:slicecrc=1"},
      {"flac", 44100, 0}}},
    {"draft", "a quick look", 640, 360, 30,
     {"mp4", "MP4", ".mp4",
      {.codec = "libx264", .pixelFormat = "yuv420p", .profile = "main", .speed = "veryfast",
       .quality = 28, .keyframeSeconds = 2},
      {"aac", 44100, 96'000}}},
}};
// clang-format on

// Two lines: the codec and its set-up, then how much it keeps and how often a picture decodes alone.
std::string describe(const PictureEncoding& pictures)
{
    std::string setUp(pictures.codec);
    if (!pictures.profile.empty())
        setUp += ", profile " + std::string(pictures.profile);
    if (!pictures.speed.empty())
        setUp += ", preset " + std::string(pictures.speed);
    setUp += ", " + std::string(pictures.pixelFormat);
    std::string kept = pictures.codec == "ffv1" ? "lossless" : "";
    if (pictures.quality >= 0)
        kept = "quality " + std::to_string(pictures.quality);
    else if (pictures.bitRate > 0)
        kept = std::to_string(pictures.bitRate / Mbit) + " Mbit/s" +
               (pictures.constantRate ? " constant" : " on average");
    if (pictures.maxRate > 0 && !pictures.constantRate)
        kept += " capped at " + std::to_string(pictures.maxRate / Mbit) + " Mbit/s";
    char keyframes[48];
    std::snprintf(keyframes, sizeof keyframes, ", a keyframe every %g s", pictures.keyframeSeconds);
    return setUp + "\n" + std::string(31, ' ') + kept + keyframes;
}

std::string describe(const SoundEncoding& sound)
{
    std::string text = std::string(sound.codec) + " at " + std::to_string(sound.rate) + " Hz";
    return sound.bitRate > 0 ? text + ", " + std::to_string(sound.bitRate / 1000) + " kbit/s"
                             : text + ", lossless";
}

} // namespace

const Encoding StandardEncoding{"mp4",
                                "MP4",
                                ".mp4",
                                {.codec = "libx264", .pixelFormat = "yuv420p", .speed = "superfast"},
                                {"aac", 44100, 192'000}};

const Preset* findPreset(std::string_view name)
{
    for (const Preset& preset : Presets)
        if (preset.name == name)
            return &preset;
    return nullptr;
}

std::string presetNames()
{
    std::string names;
    for (const Preset& preset : Presets)
        names += (names.empty() ? "" : ", ") + std::string(preset.name);
    return names;
}

std::string presetHelp()
{
    std::string help;
    for (const Preset& preset : Presets) {
        const Encoding& encoding = preset.encoding;
        char size[64];
        std::snprintf(size, sizeof size, "%d x %d at %g", preset.width, preset.height, preset.fps);
        help += "  " + std::string(preset.name) + std::string(19 - preset.name.size(), ' ') +
                std::string(preset.purpose) + ": " + size + ", " + std::string(encoding.formatName) + " (" +
                std::string(encoding.extension) +
                ")\n                     pictures: " + describe(encoding.pictures) +
                "\n                     sound: " + describe(encoding.sound) + "\n";
    }
    return help;
}

} // namespace orb::render
