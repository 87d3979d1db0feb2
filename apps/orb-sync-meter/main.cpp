// orb-sync-meter: how far apart a recording's flashes and the sounds of their beats are.

#include "Grains.h"
#include "ParseNumber.h"
#include "Recording.h"
#include "SyncEvents.h"
#include "platform/audio/Mp3Stream.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const Usage = R"(Usage: orb-sync-meter RECORDING SOUNDTRACK.mp3 [options]

Finds every flash in RECORDING (a screen capture with its sound, or a video) and where the
soundtrack's beat it falls on is heard, and prints for each the offset, sound minus picture, in
milliseconds; then, as its last line:
  offset mean M ms, spread S ms, drift D ms/min over N events
(spread: the farthest event from the mean; drift: the offset's slope over the demo).

Options:
  --picture-lead MS    take MS off every picture's time (what the capture path adds by itself)
  --demo-time          the pictures are the demo's own (orb-render's video from its start): a flash
                       on the first picture at or after its beat showed at the beat
  --flash-rise L       the rise in mean luma, 0 to 255, that makes a flash (48)
  --part FROM TO       only the recording from FROM to TO seconds after its first picture
  --grains FROM TO     instead of the flashes: every run of sound between silences, cut into
                       grains of 80 ms (a scrubbing preview's), and where in the soundtrack's
                       FROM to TO seconds each grain comes from:
                         sound at H s for L ms
                         grain at H s: the music from M s (correlation C)
  --mean-within MS     fail unless the mean offset is within MS of 0
  --spread-within MS   fail unless every event is within MS of the mean
  --each-within MS     fail unless every event's offset is within MS of 0
  --help               this text

Exit status: 0 when it measured (and met what was asked); 1 when a file could not be read, no event
was found or a limit was not met; 2 on bad usage.
)";

struct MeterOptions
{
    std::string recording, soundtrack;
    orb::sync::SyncOptions sync;
    std::optional<double> meanWithin, spreadWithin, eachWithin;
    std::optional<std::pair<double, double>> part;
    std::optional<orb::sync::SoundtrackSpan> grains;
};

// The two seconds after the option at arguments[i]: FROM and TO, FROM first.
std::optional<std::pair<double, double>> parseSpan(const std::vector<std::string>& arguments, std::size_t i)
{
    double from = 0.0, to = 0.0;
    if (i + 2 >= arguments.size() || !orb::app::parseNumber(arguments[i + 1], from) ||
        !orb::app::parseNumber(arguments[i + 2], to) || from < 0.0 || to <= from)
        return std::nullopt;
    return std::pair{from, to};
}

std::optional<MeterOptions> parse(const std::vector<std::string>& arguments, std::string& error)
{
    MeterOptions options;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        double value = 0.0;
        const bool takesValue = argument == "--picture-lead" || argument == "--flash-rise" ||
                                argument == "--mean-within" || argument == "--spread-within" ||
                                argument == "--each-within";
        if (takesValue &&
            (i + 1 == arguments.size() || !orb::app::parseNumber(arguments[++i], value) || value < 0.0)) {
            error = "bad or missing value for " + argument;
            return std::nullopt;
        }
        if (argument == "--part" || argument == "--grains") {
            const std::optional<std::pair<double, double>> span = parseSpan(arguments, i);
            if (!span) {
                error = "bad or missing values for " + argument + ": FROM and TO seconds, FROM before TO";
                return std::nullopt;
            }
            if (argument == "--part")
                options.part = span;
            else
                options.grains = orb::sync::SoundtrackSpan{span->first, span->second};
            i += 2;
        } else if (argument == "--picture-lead")
            options.sync.pictureLead = value / 1000.0;
        else if (argument == "--flash-rise")
            options.sync.flashRise = value;
        else if (argument == "--mean-within")
            options.meanWithin = value;
        else if (argument == "--spread-within")
            options.spreadWithin = value;
        else if (argument == "--each-within")
            options.eachWithin = value;
        else if (argument == "--demo-time")
            options.sync.picturesAreDemoTime = true;
        else if (argument.starts_with("--")) {
            error = "unknown option '" + argument + "'";
            return std::nullopt;
        } else
            files.push_back(argument);
    }
    if (files.size() != 2) {
        error = "wanted a recording and a soundtrack";
        return std::nullopt;
    }
    options.recording = files[0];
    options.soundtrack = files[1];
    return options;
}

// The soundtrack as the engine decodes it (the encoder's delay dropped), one channel.
std::optional<std::vector<float>> decodeSoundtrack(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    auto stream = orb::audio::Mp3Stream::open(bytes.data(), bytes.size());
    if (!stream)
        return std::nullopt;
    std::vector<float> stereo(static_cast<std::size_t>(stream->length()) * orb::audio::Channels);
    stereo.resize(stream->read(stereo.data(), stream->length()) * orb::audio::Channels);
    std::vector<float> mono(stereo.size() / 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = (stereo[2 * i] + stereo[2 * i + 1]) / 2.0f;
    return mono;
}

// Prints every run of sound and its grains' places; false when there is none.
bool reportGrains(const orb::sync::Recording& recording, const std::vector<float>& soundtrack,
                  orb::sync::SoundtrackSpan search)
{
    constexpr double GrainSeconds = 0.08;
    const std::vector<orb::sync::SoundRun> runs =
        orb::sync::findSoundRuns(recording, soundtrack, search, GrainSeconds);
    for (const orb::sync::SoundRun& run : runs) {
        std::printf("sound at %.4f s for %.1f ms\n", run.heard, run.seconds * 1000.0);
        for (const orb::sync::GrainPlace& grain : run.grains) {
            if (grain.from)
                std::printf("grain at %.4f s: the music from %.4f s (correlation %.3f)\n", grain.heard,
                            *grain.from, grain.correlation);
            else
                std::printf("grain at %.4f s: not from the music searched (best correlation %.3f)\n",
                            grain.heard, grain.correlation);
        }
    }
    if (runs.empty())
        std::cerr << "orb-sync-meter: nothing was heard\n";
    return !runs.empty();
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--help") {
        std::cout << Usage;
        return 0;
    }
    // A capture still being written ends mid-cluster; what the meter cannot use, it says itself.
    av_log_set_level(AV_LOG_FATAL);
    std::string error;
    const std::optional<MeterOptions> options = parse(arguments, error);
    if (!options) {
        std::cerr << "orb-sync-meter: " << error << "\n" << Usage;
        return 2;
    }
    orb::app::Result<orb::sync::Recording> recording = orb::sync::readRecording(options->recording);
    if (!recording) {
        std::cerr << "orb-sync-meter: " << recording.failure().message() << "\n";
        return 1;
    }
    if (options->part)
        *recording = orb::sync::partOf(*recording, options->part->first, options->part->second);
    if (recording->pictures.size() < 2 || recording->sound.empty()) {
        std::cerr << "orb-sync-meter: that part of " << options->recording << " is empty\n";
        return 1;
    }
    const std::optional<std::vector<float>> soundtrack = decodeSoundtrack(options->soundtrack);
    if (!soundtrack) {
        std::cerr << "orb-sync-meter: " << options->soundtrack << " is not MPEG audio\n";
        return 1;
    }
    if (recording->soundRate != orb::audio::SampleRate) {
        std::cerr << "orb-sync-meter: the recording's sound is at " << recording->soundRate << " Hz, not "
                  << orb::audio::SampleRate << "\n";
        return 1;
    }
    if (options->grains)
        return reportGrains(*recording, *soundtrack, *options->grains) ? 0 : 1;
    const std::vector<orb::sync::SyncEvent> events =
        orb::sync::measureSync(*recording, *soundtrack, options->sync);
    for (const orb::sync::SyncEvent& event : events)
        std::printf("beat at %.3f s: picture at %.4f s, sound at %.4f s, offset %+.1f ms\n", event.beat,
                    event.picture, event.sound, event.offsetMs());
    const orb::sync::SyncSummary summary = orb::sync::summarise(events);
    std::printf("offset mean %.1f ms, spread %.1f ms, drift %.2f ms/min over %zu events\n", summary.meanMs,
                summary.spreadMs, summary.driftMsPerMin, summary.count);
    if (summary.count == 0) {
        std::cerr << "orb-sync-meter: no flash with its beat's sound in " << options->recording << "\n";
        return 1;
    }
    if (options->meanWithin && std::abs(summary.meanMs) > *options->meanWithin) {
        std::cerr << "orb-sync-meter: the mean offset is beyond " << *options->meanWithin << " ms\n";
        return 1;
    }
    if (options->spreadWithin && summary.spreadMs > *options->spreadWithin) {
        std::cerr << "orb-sync-meter: an event is beyond " << *options->spreadWithin << " ms of the mean\n";
        return 1;
    }
    if (options->eachWithin &&
        std::any_of(events.begin(), events.end(), [&](const orb::sync::SyncEvent& event) {
            return std::abs(event.offsetMs()) > *options->eachWithin;
        })) {
        std::cerr << "orb-sync-meter: an event's offset is beyond " << *options->eachWithin << " ms\n";
        return 1;
    }
    return 0;
}
