#include "RenderOptions.h"

#include "ParseNumber.h"

#include <cmath>
#include <functional>
#include <map>
#include <sstream>

namespace orb::render {

namespace {

const char* const Options = R"(Usage: orb-render [options]

Plays the demo in the working directory (Data.qel in, Orb.log out) off-screen, with a clock that
advances exactly one frame per picture, and writes the pictures as PNG files or a video.

Options:
  --preset NAME      size, rate and encoding for a purpose, from the presets below
  --width W          back-buffer width (the preset's, or 1280)
  --height H         back-buffer height (the preset's, or 720)
  --fps F            frames per second (the preset's, or 60)
  --aspect A         display aspect ratio (W / H)
  --multisample N    multisample type, 0 to 16 (0)
  --start S          first frame's demo time in seconds, before the script's end (0)
  --end E            last frame's demo time (the script's end); past it only with --loop
  --at T[,T...]      only these demo times, each reached by a seek, none past the script's end
  --loop             loop the demo, as the player's "Loop Demo"
  --from-picture A   start at picture A of a whole render at --fps (0 is the demo's start); with
  --to-picture B     end at its picture B: the same pictures as the whole render has there, for
                     rendering one in parts (neither goes with --start, --end, --at or --loop)
  --frames DIR       write DIR/frame_000000.png and on, in render order
  --video FILE       write a video, with the sound the engine mixes (none with --at): an MP4 (H.264
                     fast, AAC at 44100 Hz) or as the preset says; not with --frames (without
                     either, only --stats has anything to say)
  --chapters FILE    with --video: write its chapters, one at each scene's start, also to FILE as
                     the lines a video site's description reads ("0:00 Scene1")
  --poster T         with --video: write a picture of demo time T at the video's size beside it
                     (FILE with .png for its extension) and put it in the video as its cover
  --join P1,P2,...   with --video: copy the pictures of these videos, renders of consecutive parts
                     of the pictures asked for with the same options, and mix their sound (not with
                     --start, --end, --at or --loop)
  --data DIR         read the production's files from the directory DIR (build/production/Data,
                     for one) instead of Data.qel
  --stats            start-up times, render time per frame for each scene operator, each loop's
                     median frame time and resident memory (with --loop), the five slowest frames
                     with what they did, which frames allocated from the heap, peak memory, and a
                     video's sound's loudness (integrated, EBU R128) and true peak
  --passes           --stats, and each scene's median time per pass: its own passes, overlay, text,
                     mesh batches and the steps of the post-processing, each timed to its own end
                     (which makes every frame slower)
  --last-picture     print the number of a whole render's last picture at --fps, render nothing
                     (only with --width, --height, --aspect, --multisample, --fps and --data)
  --help             this text

Times are in seconds, none negative. A file appears under its name only once it is whole; a video
cut short by a failure or a signal is removed. A file is written as NAME.part.EXT first: one
already there (another render's, or one a killed render left) is left alone and fails the render.
Ctrl-C or SIGTERM stops after the frame in hand.

The pictures are drawn on EGL's device platform (the proprietary NVIDIA driver's), else on Mesa's
surfaceless one: ORB_EGL_PLATFORM=device or surfaceless chooses, and Orb.log says which.

Exit status: 0 when every frame was rendered; 1 when start-up failed (Orb.log says why), writing
the output failed, or a signal stopped the render; 2 on bad usage, including a time the script
does not reach (known once it is loaded; nothing is rendered then), or an encoder the
installed libavcodec lacks.

Presets (--width, --height and --fps given beside one override its own):
)";

using app::parseNumber;

// Demo time: seconds from its start, never before it.
bool parseTime(const std::string& text, float& time)
{
    return parseNumber(text, time) && time >= 0.0f;
}

bool parsePicture(const std::string& text, std::optional<std::uint64_t>& picture)
{
    long long number = -1;
    if (!parseNumber(text, number) || number < 0)
        return false;
    picture = static_cast<std::uint64_t>(number);
    return true;
}

bool parseTimes(const std::string& text, std::vector<float>& times)
{
    std::istringstream list(text);
    for (std::string item; std::getline(list, item, ',');) {
        float time = 0.0f;
        if (!parseTime(item, time))
            return false;
        times.push_back(time);
    }
    return !times.empty();
}

} // namespace

std::string usage()
{
    return Options + presetHelp();
}

app::Result<RenderOptions> parseOptions(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    float aspect = 0.0f, end = 0.0f, poster = 0.0f;
    int width = 0, height = 0;
    double fps = 0.0;
    std::string preset;
    // Options that take a value, and how they take it.
    const std::map<std::string, std::function<bool(const std::string&)>> valued = {
        {"--width", [&](const std::string& v) { return parseNumber(v, width) && width > 0; }},
        {"--height", [&](const std::string& v) { return parseNumber(v, height) && height > 0; }},
        {"--fps", [&](const std::string& v) { return parseNumber(v, fps) && fps > 0 && fps <= 1000; }},
        {"--preset",
         [&](const std::string& v) {
             preset = v;
             return !v.empty();
         }},
        {"--aspect",
         [&](const std::string& v) {
             if (!parseNumber(v, aspect) || aspect <= 0)
                 return false;
             options.aspect = aspect;
             return true;
         }},
        {"--multisample",
         [&](const std::string& v) {
             return parseNumber(v, options.multisample) && options.multisample >= 0 &&
                    options.multisample <= 16;
         }},
        {"--start", [&](const std::string& v) { return parseTime(v, options.start); }},
        {"--end",
         [&](const std::string& v) {
             if (!parseTime(v, end))
                 return false;
             options.end = end;
             return true;
         }},
        {"--at", [&](const std::string& v) { return parseTimes(v, options.at); }},
        {"--from-picture", [&](const std::string& v) { return parsePicture(v, options.fromPicture); }},
        {"--to-picture", [&](const std::string& v) { return parsePicture(v, options.toPicture); }},
        {"--frames",
         [&](const std::string& v) {
             options.framesDirectory = v;
             return !v.empty();
         }},
        {"--video",
         [&](const std::string& v) {
             options.videoFile = v;
             return !v.empty();
         }},
        {"--chapters",
         [&](const std::string& v) {
             options.chaptersFile = v;
             return !v.empty();
         }},
        {"--poster",
         [&](const std::string& v) {
             if (!parseTime(v, poster))
                 return false;
             options.poster = poster;
             return true;
         }},
        {"--join",
         [&](const std::string& v) {
             std::istringstream list(v);
             for (std::string part; std::getline(list, part, ',');)
                 options.joinParts.push_back(part);
             return !options.joinParts.empty();
         }},
        {"--data",
         [&](const std::string& v) {
             options.dataDirectory = v;
             return !v.empty();
         }},
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--loop")
            options.loop = true;
        else if (argument == "--stats")
            options.stats = true;
        else if (argument == "--passes")
            options.stats = options.passes = true;
        else if (argument == "--help")
            options.help = true;
        else if (argument == "--last-picture")
            options.lastPicture = true;
        else if (const auto found = valued.find(argument); found != valued.end()) {
            if (i + 1 == arguments.size() || !found->second(arguments[++i]))
                return app::Failure{"bad or missing value for " + argument};
        } else {
            return app::Failure{"unknown argument '" + argument + "'"};
        }
    }
    if (!preset.empty() && (options.preset = findPreset(preset)) == nullptr)
        return app::Failure{"unknown preset '" + preset + "'", "the presets are " + presetNames()};
    if (options.preset != nullptr) {
        options.width = options.preset->width;
        options.height = options.preset->height;
        options.fps = options.preset->fps;
    }
    options.width = width > 0 ? width : options.width;
    options.height = height > 0 ? height : options.height;
    options.fps = fps > 0 ? fps : options.fps;
    if ((options.fromPicture || options.toPicture) &&
        (options.start != 0.0f || options.end || !options.at.empty() || options.loop))
        return app::Failure{"--from-picture and --to-picture go without --start, --end, --at and --loop"};
    if (options.fromPicture && options.toPicture && *options.toPicture < *options.fromPicture)
        return app::Failure{"--to-picture comes before --from-picture"};
    if (options.end && *options.end < options.start)
        return app::Failure{"--end comes before --start"};
    return options;
}

} // namespace orb::render
