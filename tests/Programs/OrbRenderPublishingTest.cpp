#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace orb::test {
namespace {

using Stream = std::map<std::string, std::string>;

// The production, whose Scene2 begins at 6.9564 s.
class OrbRenderPublishingTest : public LoggedTest
{
protected:
    OrbRenderPublishingTest() { std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel"); }

    // What ffprobe says of each stream of `video`, and of its format as stream "format".
    static std::map<std::string, Stream> probe(const std::string& video)
    {
        const Result probed = runProgram(
            "ffprobe -v error -show_entries stream=codec_type,codec_name,profile,width,height,pix_fmt,"
            "r_frame_rate,sample_rate,bit_rate,duration_ts:stream_disposition=attached_pic:stream_tags="
            "filename:format=format_name -of compact=p=0 " +
            video);
        std::map<std::string, Stream> streams;
        std::istringstream lines(probed.output);
        for (std::string line; std::getline(lines, line);) {
            Stream stream;
            std::istringstream fields(line);
            for (std::string field; std::getline(fields, field, '|');)
                stream[field.substr(0, field.find('='))] = field.substr(field.find('=') + 1);
            const std::string kind = stream.count("format_name")                 ? "format"
                                     : stream["disposition:attached_pic"] == "1" ? "cover"
                                                                                 : stream["codec_type"];
            streams[kind] = stream;
        }
        return streams;
    }

    // The longest run of pictures from one keyframe to the next, the last one's to the end included.
    static int longestKeyframeGap(const std::string& video)
    {
        const Result packets = runProgram(
            "ffprobe -v error -select_streams v:0 -show_entries packet=pts_time,flags -of csv=p=0 " + video +
            " | sort -t, -k1 -g");
        std::istringstream lines(packets.output);
        int picture = 0, lastKey = 0, longest = 0;
        for (std::string line; std::getline(lines, line); ++picture) {
            if (line.find(",K") != std::string::npos) {
                longest = std::max(longest, picture - lastKey);
                lastKey = picture;
            }
        }
        EXPECT_GT(picture, 0) << video;
        return std::max(longest, picture - lastKey);
    }

    // The cover picture's file, as a player takes it out.
    static std::string coverOf(const std::string& video)
    {
        std::filesystem::remove("cover.png");
        runProgram("ffmpeg -v error -i " + video + " -map 0:v:1 -c copy -f image2 cover.png");
        return readFile("cover.png");
    }

    // Chapters as "start_time,title" lines.
    static std::string chapters(const std::string& video)
    {
        return runProgram(
                   "ffprobe -v error -show_entries chapter=start_time:chapter_tags=title -of csv=p=0 " +
                   video)
            .output;
    }
};

struct Row
{
    const char* preset;
    const char* size; // an override, or empty
    const char* file;
    const char *format, *codec, *profile, *pixels, *rate;
    int width, height;
    const char* sound;
    int soundRate;
    int keyframeEvery;
};

// Names a test by its preset alone.
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.preset;
}

const char* const Mp4 = "mov,mp4,m4a,3gp,3g2,mj2";

class OrbRenderPresetTest : public OrbRenderPublishingTest, public ::testing::WithParamInterface<Row>
{
};

// Two seconds of each preset, web-2160p60 and master smaller: the file as the preset's row of the
// help says, its sound exactly as long as its pictures.
TEST_P(OrbRenderPresetTest, MakesTheVideoItsRowSays)
{
    const Row& row = GetParam();
    const Result rendered = runProgram(OrbRender + " --preset " + row.preset + row.size +
                                       " --start 8 --end 10 --video " + row.file);
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
    std::map<std::string, Stream> streams = probe(row.file);
    Stream& video = streams["video"];
    Stream& sound = streams["audio"];
    EXPECT_EQ(streams["format"]["format_name"], row.format);
    EXPECT_EQ(video["codec_name"], row.codec);
    if (*row.profile != '\0') {
        EXPECT_EQ(video["profile"], row.profile);
    }
    EXPECT_EQ(video["pix_fmt"], row.pixels);
    EXPECT_EQ(video["r_frame_rate"], row.rate);
    EXPECT_EQ(std::atoi(video["width"].c_str()), row.width);
    EXPECT_EQ(std::atoi(video["height"].c_str()), row.height);
    EXPECT_EQ(sound["codec_name"], row.sound);
    EXPECT_EQ(std::atoi(sound["sample_rate"].c_str()), row.soundRate);
    EXPECT_LE(longestKeyframeGap(row.file), row.keyframeEvery);
    const double fps = std::atof(row.rate);
    const long pictures = std::lround(2 * fps) + 1;
    const long soundFrames = std::lround(static_cast<double>(pictures) * row.soundRate / fps);
    if (row.sound == std::string("aac")) {
        // The edit list's length, to which players trim the encoder's last block.
        EXPECT_EQ(std::atol(sound["duration_ts"].c_str()), soundFrames);
    } else {
        runProgram(std::string("ffmpeg -v error -y -i ") + row.file + " -map 0:a -f s32le sound.raw");
        EXPECT_EQ(static_cast<long>(std::filesystem::file_size("sound.raw") / 8), soundFrames);
    }
    if (row.preset == std::string("party")) {
        EXPECT_GE(std::atol(video["bit_rate"].c_str()), 8'000'000) << "an archive's least";
    }
    if (row.preset == std::string("web-1080p60")) {
        EXPECT_LE(std::atol(video["bit_rate"].c_str()), 12'000'000) << "a site's most";
        EXPECT_GE(std::atol(sound["bit_rate"].c_str()), 300'000);
    }
}

INSTANTIATE_TEST_SUITE_P(Presets, OrbRenderPresetTest,
                         ::testing::Values(Row{"web-1080p60", "", "web.mp4", Mp4, "h264", "High", "yuv420p",
                                               "60/1", 1920, 1080, "aac", 48000, 30},
                                           Row{"web-2160p60", " --width 640 --height 360", "web4k.mp4", Mp4,
                                               "h264", "High", "yuv420p", "60/1", 640, 360, "aac", 48000, 30},
                                           Row{"party", "", "party.mp4", Mp4, "h264", "High", "yuv420p",
                                               "60/1", 1920, 1080, "aac", 48000, 120},
                                           Row{"master", " --width 640 --height 360", "master.mkv",
                                               "matroska,webm", "ffv1", "", "bgr0", "60/1", 640, 360, "flac",
                                               44100, 60},
                                           Row{"draft", "", "draft.mp4", Mp4, "h264", "Main", "yuv420p",
                                               "30/1", 640, 360, "aac", 44100, 60}),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             std::string name = info.param.preset;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

// A master is lossless: its pictures decode to the bytes of --frames' PNG pictures of the same
// times. Its poster is the picture --at draws, beside it and inside it; its chapters begin on the
// first picture of each scene the range shows, Scene2's at 6 + 58 / 60 s (6.95 s is still Scene1's).
TEST_F(OrbRenderPublishingTest, AMasterHoldsTheFramesPicturesWithItsPosterAndChapters)
{
    const std::string range = " --width 320 --height 180 --start 6 --end 8";
    ASSERT_EQ(
        runProgram(OrbRender + range + " --preset master --video m.mkv --poster 7 --chapters m.txt").status,
        0)
        << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + range + " --frames frames").status, 0) << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + " --width 320 --height 180 --at 7 --frames poster").status, 0);
    runProgram("ffmpeg -v error -y -i m.mkv -map 0:v:0 -f rawvideo -pix_fmt rgb24 master.rgb");
    runProgram("ffmpeg -v error -y -i frames/frame_%06d.png -f rawvideo -pix_fmt rgb24 frames.rgb");
    const std::string master = readFile("master.rgb");
    EXPECT_EQ(master.size(), 121u * 320 * 180 * 3);
    EXPECT_TRUE(master == readFile("frames.rgb")) << "the pictures differ";

    EXPECT_TRUE(readPng("m.png").rgb == readPng("poster/frame_000000.png").rgb);
    Stream cover = probe("m.mkv")["cover"];
    EXPECT_EQ(cover["codec_name"], "png");
    EXPECT_EQ(cover["tag:filename"], "cover.png");
    EXPECT_TRUE(coverOf("m.mkv") == readFile("m.png"));

    EXPECT_EQ(chapters("m.mkv"), "0.000000,Scene1\n0.966667,Scene2\n");
    EXPECT_EQ(readFile("m.txt"), "0:00 Scene1\n0:00 Scene2\n");
}

// An MP4's chapters are the scenes that fall in its range, the one under way at its start
// included, and its poster is its cover picture.
TEST_F(OrbRenderPublishingTest, AnMp4CarriesTheChaptersOfItsRangeAndItsPoster)
{
    ASSERT_EQ(runProgram(OrbRender +
                         " --preset draft --start 5.5 --end 36 --video d.mp4 --poster 40 --chapters d.txt")
                  .status,
              0)
        << readFile("stderr.txt");
    // Scene2 from 6.9564 s: picture 44 (5.5 + 44 / 30 s); Scene3 from 34.782 s: picture 879.
    const std::string lines = chapters("d.mp4");
    std::istringstream found(lines);
    std::vector<std::pair<double, std::string>> starts;
    for (std::string line; std::getline(found, line);)
        starts.emplace_back(std::atof(line.c_str()), line.substr(line.find(',') + 1));
    ASSERT_EQ(starts.size(), 3u) << lines;
    EXPECT_EQ(starts[1].second, "Scene2");
    EXPECT_NEAR(starts[1].first * 30, 44, 0.03);
    EXPECT_EQ(starts[2].second, "Scene3");
    EXPECT_NEAR(starts[2].first * 30, 879, 0.03);
    EXPECT_EQ(readFile("d.txt"), "0:00 Scene1\n0:01 Scene2\n0:29 Scene3\n");
    Stream cover = probe("d.mp4")["cover"];
    EXPECT_EQ(cover["codec_name"], "png");
    EXPECT_EQ(cover["width"], "640");
    EXPECT_TRUE(coverOf("d.mp4") == readFile("d.png"));
}

// A preset not in the table, a file its format does not name, an encoder this libavcodec lacks
// and a poster past the end are each refused before anything is rendered or written.
TEST_F(OrbRenderPublishingTest, RefusesWhatAPresetCannotMakeBeforeRendering)
{
    const std::string hide = std::string("LD_PRELOAD=") + ORB_HIDE_ENCODER +
                             " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ORB_TEST_HIDDEN_ENCODER=";
    for (const auto& [line, told] : std::initializer_list<std::pair<std::string, const char*>>{
             {OrbRender + " --preset web --video v.mp4",
              "unknown preset 'web': the presets are web-1080p60, web-2160p60, party, master, draft"},
             {OrbRender + " --preset master --video v.mp4",
              "--preset master writes Matroska: its file name ends in .mkv"},
             {OrbRender + " --preset party --video v.mkv",
              "--preset party writes MP4: its file name ends in .mp4"},
             {hide + "ffv1 " + OrbRender + " --preset master --video v.mkv",
              "--preset master needs the encoder ffv1, which this libavcodec lacks: Debian's libavcodec59 "
              "has it"},
             {hide + "aac " + OrbRender + " --video v.mp4",
              "--video needs the encoder aac, which this libavcodec lacks: Debian's libavcodec59 has it"},
             {OrbRender + " --poster 250 --video v.mp4",
              "--poster 250 is past the script's end at 243.474 s"}}) {
        EXPECT_EQ(runProgram(line).status, 2) << line;
        EXPECT_NE(readFile("stderr.txt").find(told), std::string::npos) << line << "\n"
                                                                        << readFile("stderr.txt");
        EXPECT_FALSE(std::filesystem::exists("v.mp4") || std::filesystem::exists("v.mkv") ||
                     std::filesystem::exists("v.png"))
            << line;
    }
    runProgram(OrbRender + " --preset web");
    EXPECT_NE(readFile("stderr.txt").find("master             a lossless master"), std::string::npos)
        << "the usage lists the presets";
}

} // namespace
} // namespace orb::test
