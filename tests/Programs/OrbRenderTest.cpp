#include "FileSystem.h"
#include "Mp3Fixture.h"
#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace orb::test {
namespace {

class OrbRenderTest : public LoggedTest
{
protected:
    OrbRenderTest() { std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel"); }
};

TEST_F(OrbRenderTest, RendersChosenTimesAsTheTitleFadingInAndTheEndScreen)
{
    const Result rendered = runProgram(OrbRender + " --at 2,235 --frames out --width 320 --height 180");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
    const Picture fading = readPng("out/frame_000000.png");
    const Picture end = readPng("out/frame_000001.png");
    ASSERT_EQ(fading.width, 320);
    ASSERT_EQ(end.height, 180);
    EXPECT_FALSE(std::filesystem::exists("out/frame_000002.png"));
    // Orange 255/150/0 at grey level 127 of 255 at e = 2, with a little bloom; full at the end.
    EXPECT_NEAR(fading.brightest(0), 135, 20);
    EXPECT_GT(end.brightest(0), 240);
    EXPECT_LT(fading.channel(0, 0, 0) + end.channel(319, 179, 0), 20) << "black around the images";
    EXPECT_NE(readFile("Orb.log").find("ORB_INFO: DemoSystem Shutdown Done"), std::string::npos);
}

TEST_F(OrbRenderTest, RendersFromADirectoryWhatItRendersFromTheArchive)
{
    std::filesystem::copy(ORB_PRODUCTION_DATA, "Assets", std::filesystem::copy_options::recursive);
    const std::string times = " --at 20,100 --width 160 --height 90";
    ASSERT_EQ(runProgram(OrbRender + times + " --frames packed").status, 0) << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + times + " --frames loose --data Assets").status, 0)
        << readFile("stderr.txt");
    EXPECT_NE(readFile("Orb.log").find("ORB_INFO: FileSystem Init ... (Assets)"), std::string::npos);
    for (const char* frame : {"/frame_000000.png", "/frame_000001.png"})
        EXPECT_EQ(readFile(std::string("loose") + frame), readFile(std::string("packed") + frame)) << frame;

    EXPECT_EQ(runProgram(OrbRender + times + " --frames none --data Missing").status, 1);
    EXPECT_NE(readFile("Orb.log").find("invalid directory 'Missing'"), std::string::npos);
}

// EGL's device platform comes first (the proprietary NVIDIA driver offers no other), Mesa's
// surfaceless one after it; Mesa offers both, on its software device.
TEST_F(OrbRenderTest, DrawsTheSamePicturesOnEitherEglPlatformAndLogsWhich)
{
    const std::string render = OrbRender + " --at 20,75,150 --width 160 --height 90 --frames ";
    ASSERT_EQ(runProgram(render + "chosen").status, 0) << readFile("stderr.txt");
    EXPECT_NE(readFile("Orb.log").find("ORB_INFO: drawing off-screen on EGL's device platform"),
              std::string::npos)
        << readFile("Orb.log");
    ASSERT_EQ(runProgram("env ORB_EGL_PLATFORM=surfaceless " + render + "surfaceless").status, 0)
        << readFile("stderr.txt");
    EXPECT_NE(readFile("Orb.log").find("ORB_INFO: drawing off-screen on Mesa's surfaceless EGL platform"),
              std::string::npos);
    for (const char* frame : {"/frame_000000.png", "/frame_000001.png", "/frame_000002.png"})
        EXPECT_EQ(readFile(std::string("surfaceless") + frame), readFile(std::string("chosen") + frame))
            << frame;

    EXPECT_EQ(runProgram("env ORB_EGL_PLATFORM=gbm " + render + "none").status, 1);
    EXPECT_NE(readFile("Orb.log").find("ORB_EGL_PLATFORM is 'gbm': it names 'device' or 'surfaceless'"),
              std::string::npos);
}

TEST_F(OrbRenderTest, RendersARangeFrameByFrameAndReportsItsTimes)
{
    const Result rendered = runProgram(
        OrbRender + " --start 1 --end 1.2 --fps 10 --frames range --width 160 --height 90 --passes");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
    EXPECT_TRUE(std::filesystem::exists("range/frame_000002.png"));
    EXPECT_FALSE(std::filesystem::exists("range/frame_000003.png"));
    EXPECT_NE(rendered.output.find("Scene1          3"), std::string::npos) << rendered.output;
    EXPECT_NE(rendered.output.find("first ms"), std::string::npos);
    EXPECT_NE(rendered.output.find("peak memory"), std::string::npos);
    EXPECT_NE(rendered.output.find("Scene1: the first frame of Scene1;"), std::string::npos) << "the slowest";
    const std::size_t worst = rendered.output.find("each scene's worst frame once started:\n");
    ASSERT_NE(worst, std::string::npos);
    const std::size_t lineStart = rendered.output.find('\n', worst) + 1;
    const std::string line =
        rendered.output.substr(lineStart, rendered.output.find('\n', lineStart) - lineStart);
    EXPECT_NE(line.find(" s Scene1: "), std::string::npos) << line;
    EXPECT_EQ(line.find(" 1.000 s "), std::string::npos) << "not the scene's first frame: " << line;
    for (const char* step :
         {"post: copy", "post: downsample / Downsample4x4.fx pass 0",
          "post: blur across / GaussianBlur.fx pass 0", "post: blur down / GaussianBlur.fx pass 0",
          "post: compose / Compositor.fx pass 0", "picture"})
        EXPECT_NE(rendered.output.find(std::string("\n  ") + step + " "), std::string::npos) << step;
    // The loading bar's pictures, then the fade, then the demo.
    double firstPicture = 0, loaded = 0, ready = 0;
    ASSERT_EQ(std::sscanf(rendered.output.c_str() + rendered.output.find("start-up ms"),
                          "start-up ms: first loading picture %lf, loaded %lf, ready after the fade %lf",
                          &firstPicture, &loaded, &ready),
              3)
        << rendered.output;
    EXPECT_GT(firstPicture, 0.0);
    EXPECT_LT(firstPicture, loaded);
    EXPECT_LT(loaded, ready);
}

// Only a scene's first frame makes what the scene needs: the falling cubes, sorted every frame, and
// a scene with text and pictures over its effect allocate nothing afterwards.
TEST_F(OrbRenderTest, FramesAfterTheFirstAllocateNothing)
{
    for (const char* start : {"40", "100"}) {
        const Result rendered = runProgram(OrbRender + " --start " + start + " --end " + start +
                                           ".5 --fps 10 --width 160 --height 90 --passes");
        ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
        EXPECT_NE(rendered.output.find("\nheap allocations in 1 of 6 frames\n"), std::string::npos)
            << rendered.output;
    }
}

// The compositor's folded arithmetic keeps the look of its term-by-term form: two frames of every
// scene, one of them near its end where the glow, flicker and wash are strongest.
TEST_F(OrbRenderTest, TheComposedPictureIsTheTermByTermOneWithinTwoLevels)
{
    std::filesystem::copy(ORB_PRODUCTION_DATA, "Reference", std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(ORB_SOURCE_DIR "/tests/data/compose/Compositor.fx", "Reference/Compositor.fx",
                               std::filesystem::copy_options::overwrite_existing);
    const std::string times =
        " --at 1,6.5,12,34,45,62,70,90,100,118,125,146,160,173.5,180,201.5,215,229.3,235,"
        "243 --width 320 --height 180";
    ASSERT_EQ(runProgram(OrbRender + times + " --frames today").status, 0) << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + times + " --frames reference --data Reference").status, 0)
        << readFile("stderr.txt");
    for (int frame = 0; frame < 20; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
        const Picture today = readPng(std::string("today") + name);
        const Picture reference = readPng(std::string("reference") + name);
        ASSERT_EQ(today.rgb.size(), 320u * 180 * 3) << name;
        ASSERT_EQ(reference.rgb.size(), today.rgb.size()) << name;
        int largest = 0;
        for (std::size_t i = 0; i < today.rgb.size(); ++i)
            largest = std::max(largest, std::abs(today.rgb[i] - reference.rgb[i]));
        EXPECT_LE(largest, 2) << name;
    }
}

// The whole production into a small video: 4870 pictures at 20 per second, 0 to 243.45 s, make a
// video of 243.5 s, and the soundtrack runs as long.
TEST_F(OrbRenderTest, RendersTheWholeDemoWithItsSoundtrackToAVideo)
{
    const Result rendered =
        runProgram("timeout 600 " + OrbRender + " --fps 20 --width 64 --height 36 --video whole.mp4 --stats");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt") << readFile("Orb.log");
    long pictures = -1;
    double length = -1, took = -1, times = -1, processor = -1, encoder = -1, encoderShare = -1, renderer = -1,
           rendererShare = -1, waited = -1, encoderWaited = -1;
    ASSERT_EQ(std::sscanf(rendered.output.c_str() + rendered.output.find("video: "),
                          "video: %ld pictures (%lf s) captured in %lf s, %lf times their length; of %lf s "
                          "of processor time the encoder used %lf s (%lf %%), the renderer and the rest "
                          "%lf s (%lf %%); the renderer waited %lf s for the encoder, the encoder %lf s for "
                          "the renderer",
                          &pictures, &length, &took, &times, &processor, &encoder, &encoderShare, &renderer,
                          &rendererShare, &waited, &encoderWaited),
              11)
        << rendered.output;
    EXPECT_EQ(pictures, 4870);
    EXPECT_NEAR(length, 243.5, 0.05);
    EXPECT_GT(took, 0.0);
    EXPECT_GT(encoder, 0.0);
    EXPECT_GT(renderer, 0.0);
    EXPECT_GE(waited, 0.0);
    // Pictures this small are encoded faster than they are drawn.
    EXPECT_GT(encoderWaited, 0.0);
    EXPECT_LT(encoderWaited, took);
    const auto duration = [](const char* stream) {
        const Result probe = runProgram(std::string("ffprobe -v error -select_streams ") + stream +
                                        " -show_entries stream=duration -of csv=p=0 whole.mp4");
        return std::atof(probe.output.c_str());
    };
    EXPECT_NEAR(duration("v"), 243.47, 0.05);
    EXPECT_NEAR(duration("a"), duration("v"), 0.05);
    runProgram("ffmpeg -nostdin -v info -i whole.mp4 -map 0:a -af volumedetect -f null -");
    const std::string report = readFile("stderr.txt");
    const std::size_t mean = report.find("mean_volume: ");
    ASSERT_NE(mean, std::string::npos) << report;
    EXPECT_GT(std::atof(report.c_str() + mean + 13), -30.0) << "the music, not silence";
}

// A render in parts: pictures 200 to 205 alone are the whole render's pictures of those numbers,
// byte for byte. A part that began at 200 / 3 s as a float, not where the whole render's sum of
// steps had got to, could draw them a hair apart.
TEST_F(OrbRenderTest, APartOfARenderDrawsTheWholeRendersPictures)
{
    const std::string options = " --fps 3 --width 160 --height 90";
    ASSERT_EQ(runProgram(OrbRender + options + " --end 70 --frames whole").status, 0)
        << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + options + " --from-picture 200 --to-picture 205 --frames part").status,
              0)
        << readFile("stderr.txt");
    for (int picture = 200; picture <= 205; ++picture) {
        char whole[32], part[32];
        std::snprintf(whole, sizeof whole, "whole/frame_%06d.png", picture);
        std::snprintf(part, sizeof part, "part/frame_%06d.png", picture - 200);
        EXPECT_TRUE(readFile(whole) == readFile(part)) << picture;
    }
    EXPECT_FALSE(std::filesystem::exists("part/frame_000006.png"));
}

// Pictures 600 to 839 rendered in three parts on two processors and joined: every picture of the
// one-process render, in its place. Around the joins, each decoded picture is nearer the picture
// drawn for its own time than its neighbours' (none repeated, none missing), and as near the
// one-process video's picture as two encodings of it are.
TEST_F(OrbRenderTest, ARenderInPartsOnTwoProcessorsMakesTheOneProcessVideo)
{
    const std::string size = " --width 640 --height 360";
    const std::string options = size + " --from-picture 600 --to-picture 839";
    const Result farm = runProgram("ORB_RENDER=" + OrbRender +
                                   " " ORB_SOURCE_DIR "/scripts/render-farm -j 2 --parts parts "
                                   "--part-pictures 80 farm.mp4" +
                                   options);
    ASSERT_EQ(farm.status, 0) << farm.output << readFile("stderr.txt");
    ASSERT_EQ(runProgram(OrbRender + options + " --video single.mp4").status, 0) << readFile("stderr.txt");
    // Decoded to RGB, and to the encoder's own 4:2:0 planes for the luma.
    const auto decoded = [](const std::string& video, const std::string& format) {
        runProgram("ffmpeg -nostdin -v error -y -i " + video + " -f rawvideo -pix_fmt " + format + " " +
                   video + "." + format);
        return readFile(video + "." + format);
    };
    const std::string joined = decoded("farm.mp4", "rgb24");
    const std::string joinedPlanes = decoded("farm.mp4", "yuv420p"),
                      singlePlanes = decoded("single.mp4", "yuv420p");
    constexpr std::size_t PictureBytes = 640 * 360 * 3, LumaBytes = 640 * 360,
                          PlanesBytes = LumaBytes * 3 / 2;
    ASSERT_EQ(joined.size(), 240 * PictureBytes);
    ASSERT_EQ(singlePlanes.size(), 240 * PlanesBytes);
    ASSERT_EQ(joinedPlanes.size(), singlePlanes.size());
    for (std::size_t picture = 1; picture < 240; ++picture)
        EXPECT_NE(joined.compare((picture - 1) * PictureBytes, PictureBytes, joined, picture * PictureBytes,
                                 PictureBytes),
                  0)
            << "picture " << picture << " repeats the one before";

    const std::vector<int> sampled = {1, 40, 79, 80, 81, 159, 160, 238}; // from picture 600
    std::string times = "--at ";
    for (const int picture : sampled)
        for (const int neighbour : {picture - 1, picture, picture + 1})
            times.append(std::to_string((600 + neighbour) / 60.0)).append(",");
    times.pop_back();
    ASSERT_EQ(runProgram(OrbRender + size + " " + times + " --frames drawn").status, 0);
    const auto squaredError = [&](const std::string& video, int picture,
                                  const std::vector<unsigned char>& rgb) {
        double sum = 0;
        for (std::size_t i = 0; i < PictureBytes; ++i)
            sum += std::pow(static_cast<unsigned char>(video[picture * PictureBytes + i]) - rgb[i], 2);
        return sum / PictureBytes;
    };
    for (std::size_t s = 0; s < sampled.size(); ++s) {
        std::vector<double> distances;
        for (int neighbour = 0; neighbour < 3; ++neighbour) {
            char name[32];
            std::snprintf(name, sizeof name, "drawn/frame_%06zu.png", s * 3 + neighbour);
            distances.push_back(squaredError(joined, sampled[s], readPng(name).rgb));
        }
        EXPECT_LT(distances[1], distances[0]) << "picture " << 600 + sampled[s] << " against the one before";
        EXPECT_LT(distances[1], distances[2]) << "picture " << 600 + sampled[s] << " against the one after";
        double lumaError = 0;
        for (std::size_t i = 0; i < LumaBytes; ++i)
            lumaError += std::pow(static_cast<unsigned char>(joinedPlanes[sampled[s] * PlanesBytes + i]) -
                                      static_cast<unsigned char>(singlePlanes[sampled[s] * PlanesBytes + i]),
                                  2);
        const double psnr = 10 * std::log10(255.0 * 255.0 / std::max(lumaError / LumaBytes, 1e-9));
        EXPECT_GE(psnr, 40.0) << "luma of picture " << 600 + sampled[s];
    }
}

// A part that fails stops the run with its pictures and its host named and no video made; the
// run made again renders only that part and joins them.
TEST_F(OrbRenderTest, ARenderInPartsWithAFailedPartNamesItAndRendersOnlyItAgain)
{
    writeFile("failing-render",
              "#!/bin/sh\ncase \" $* \" in *\" --from-picture 40 \"*) exit 1 ;; esac\nexec " + OrbRender +
                  " \"$@\"\n");
    std::filesystem::permissions("failing-render", std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const std::string farm =
        " " ORB_SOURCE_DIR "/scripts/render-farm -j 2 --parts parts --part-pictures 40 farm.mp4 --width 64 "
        "--height 36 --from-picture 0 --to-picture 119";
    EXPECT_EQ(runProgram("ORB_RENDER=./failing-render" + farm).status, 1);
    EXPECT_NE(readFile("stderr.txt").find("render-farm: pictures 40 to 79 failed on this machine"),
              std::string::npos)
        << readFile("stderr.txt");
    EXPECT_FALSE(std::filesystem::exists("farm.mp4"));
    const Result again = runProgram("ORB_RENDER=" + OrbRender + farm);
    ASSERT_EQ(again.status, 0) << readFile("stderr.txt");
    EXPECT_NE(again.output.find("parts already rendered"), std::string::npos);
    EXPECT_EQ(again.output.find("0 of 3 parts already rendered"), std::string::npos) << again.output;
    EXPECT_TRUE(std::filesystem::exists("farm.mp4"));
}

// A video made again from the same range with the same options is the same file, byte for byte.
TEST_F(OrbRenderTest, RendersTheSameVideoTwiceToTheByte)
{
    const std::string range = " --start 98 --end 99.5 --width 160 --height 90 --video ";
    for (const char* name : {"first.mp4", "second.mp4"})
        ASSERT_EQ(runProgram(OrbRender + range + name).status, 0) << readFile("stderr.txt");
    const std::string first = readFile("first.mp4");
    EXPECT_GT(first.size(), 10'000u);
    EXPECT_TRUE(first == readFile("second.mp4"));
}

TEST_F(OrbRenderTest, AnswersBadUsageWithStatusTwoAndAFailedStartWithOne)
{
    for (const char* arguments :
         {" --fps", " --fps 0", " --width -3", " --bogus", " --start 2 --end 1", " --at 1,x", " --start -1",
          " --end -0.5", " --at 1,-2", " --width 65 --height 36 --video odd.mp4", " --video demo.avi",
          " --width 20000 --height 20000 --video huge.mp4", " --from-picture 5 --start 1",
          " --to-picture 2 --from-picture 3", " --from-picture -1", " --to-picture 2 --loop"}) {
        EXPECT_EQ(runProgram(OrbRender + arguments).status, 2) << arguments;
        EXPECT_NE(readFile("stderr.txt").find("Usage: orb-render"), std::string::npos);
    }
    const Result help = runProgram(OrbRender + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--video FILE"), std::string::npos);
    std::filesystem::remove("Data.qel");
    EXPECT_EQ(runProgram(OrbRender + " --at 1 --frames none").status, 1);
    EXPECT_NE(readFile("Orb.log").find("invalid file 'Data.qel'"), std::string::npos);
}

TEST_F(OrbRenderTest, RefusesTimesTheScriptDoesNotReachBeforeRenderingAnything)
{
    // The production is 243.474 s long.
    for (const auto& [arguments, named] :
         {std::pair{" --at 2,250", "--at 250 "}, std::pair{" --start 244", "--start 244 "},
          std::pair{" --to-picture 14609", "--to-picture 14609 "},
          std::pair{" --from-picture 20000", "--from-picture 20000 "},
          std::pair{" --loop --start 243.474", "--start 243.474 "},
          std::pair{" --loop --at 244", "--at 244 "}}) {
        EXPECT_EQ(runProgram(OrbRender + arguments + " --frames out").status, 2) << arguments;
        const std::string message = readFile("stderr.txt");
        EXPECT_NE(message.find(named), std::string::npos) << message;
        EXPECT_NE(message.find("243.474 s"), std::string::npos) << message;
        EXPECT_FALSE(std::filesystem::exists("out")) << arguments << ": nothing is rendered";
    }
    EXPECT_EQ(runProgram(OrbRender + " --at 243.474 --frames end --width 32 --height 18").status, 0)
        << "the end itself is drawn";
    EXPECT_TRUE(std::filesystem::exists("end/frame_000000.png"));
}

TEST_F(OrbRenderTest, ALoopingRenderWithoutAnEndInSightStartsAtOnceAndRunsOn)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit allows";
#endif
    // A list of every frame's time up to 1e9 s would take 240 GB; the render itself needs well
    // under 1 GB of the 4 GB it is given.
    const Result render = runProgram("ulimit -v 4000000; timeout 5 " + OrbRender +
                                     " --loop --end 1e9 --width 16 --height 16 --frames out");
    EXPECT_EQ(render.status, 124) << "still rendering when stopped: " << readFile("stderr.txt");
    EXPECT_TRUE(std::filesystem::exists("out/frame_000000.png"));
}

// The production's files unpacked into the working directory (read there, as Data.qel is a
// directory), with a script of one empty scene 1.02 s long and the test sweep as the music.
class OrbRenderSoundtrackTest : public LoggedTest
{
protected:
    OrbRenderSoundtrackTest()
    {
        FileSystem production;
        production.init(ORB_PRODUCTION_ARCHIVE);
        for (const FileSystem::FileInfo& file : production.files()) {
            production.open(file.name);
            std::string path = file.name;
            std::replace(path.begin(), path.end(), '\\', '/');
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            writeFile(path, std::string_view(production.fileData(file.name), file.size));
        }
        std::filesystem::create_directory("Data.qel");
        writeFile("Data/DemoScript.xml", R"(<demo><init progressBar="1" fadeout="0.2"><resources/></init>
            <main length="1.02"><scene id="0" name="empty" start="0" end="1.02"/></main></demo>)");
        const std::vector<unsigned char>& mp3 = audio::test::sweepMp3();
        writeFile("Data/velmora.mp3", std::string(mp3.begin(), mp3.end()));
    }

    // The video's soundtrack decoded by ffmpeg: interleaved stereo at 44100 Hz.
    static std::vector<float> soundtrack(const std::string& video)
    {
        runProgram("ffmpeg -v error -y -i " + video + " -map 0:a -f f32le -c:a pcm_f32le sound.raw");
        const std::string bytes = readFile("sound.raw");
        std::vector<float> samples(bytes.size() / sizeof(float));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }

    static int pictureCount(const std::string& video)
    {
        const std::string probe = "ffprobe -v error -count_frames -select_streams v "
                                  "-show_entries stream=nb_read_frames -of csv=p=0 ";
        return std::atoi(runProgram(probe + video).output.c_str());
    }

    // The root mean square of the difference between a tenth of a second of `sound` from `frame` on
    // and the music's first tenth, as the engine decodes it.
    double differenceFromTheMusicsStart(const std::vector<float>& sound, std::size_t frame) const
    {
        const std::size_t samples = 4410 * 2;
        if (sound.size() < frame * 2 + samples)
            return 1.0;
        double sum = 0.0;
        for (std::size_t i = 0; i < samples; ++i)
            sum += std::pow(sound[frame * 2 + i] - music_[i], 2);
        return std::sqrt(sum / samples);
    }

    const std::vector<float> music_ = audio::test::decodeAll(audio::test::sweepMp3());
};

TEST_F(OrbRenderSoundtrackTest, TheMusicStartsWithTheFirstPictureAndAgainWhenTheDemoLoops)
{
    // At 48 fps a picture has 918.75 frames of sound, and ffmpeg takes in more than one picture's
    // sound before it reads the second picture. Pictures at 0, 1/48, ..., 48/48 s; the next
    // frame is past the script's end and loops the demo; the render ends at 2 s with 96 pictures.
    const Result rendered = runProgram("timeout 60 " + OrbRender +
                                       " --loop --end 2 --fps 48 --width 640 --height 360 --video loop.mp4");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt") << readFile("Orb.log");
    EXPECT_EQ(pictureCount("loop.mp4"), 96);
    const std::vector<float> sound = soundtrack("loop.mp4");
    EXPECT_NEAR(static_cast<double>(sound.size() / 2), 88200, 918.75) << "as long as the pictures";
    // The encoder loses a few hundredths; the music two samples late differs by a tenth, and by
    // about 0.5 from ten samples on.
    EXPECT_LT(differenceFromTheMusicsStart(sound, 0), 0.1) << "no sound of the loading screen";
    // 49 pictures' worth of sound: round(49 * 918.75) frames.
    EXPECT_LT(differenceFromTheMusicsStart(sound, 45019), 0.1) << "restarted with the pictures";
}

// Every output option alone and with every other: each run either makes what --help says or is
// refused as bad usage before anything is written. The 1.02 s script at 10 per second is pictures
// 0 to 10; part.mp4 is all of them, to join.
TEST_F(OrbRenderSoundtrackTest, EveryPairOfOutputOptionsWorksAsItsHelpSaysOrIsRefused)
{
    const std::string common = " --fps 10 --width 64 --height 36";
    ASSERT_EQ(runProgram(OrbRender + common + " --from-picture 0 --to-picture 10 --video part.mp4").status, 0)
        << readFile("stderr.txt");
    const std::vector<std::pair<std::string, std::string>> outputs = {{"frames", " --frames out"},
                                                                      {"video", " --video v.mp4"},
                                                                      {"join", " --join part.mp4"},
                                                                      {"at", " --at 0.5"},
                                                                      {"loop", " --loop"},
                                                                      {"stats", " --stats"},
                                                                      {"passes", " --passes"},
                                                                      {"last", " --last-picture"},
                                                                      {"preset", " --preset draft"},
                                                                      {"poster", " --poster 0.5"},
                                                                      {"chapters", " --chapters ch.txt"}};
    std::set<std::string> refused = {
        "frames video", "frames join", "join",        "join at",    "join loop", "join stats",
        "join passes",  "join last",   "frames last", "video last", "at last",   "loop last",
        "stats last",   "passes last", "join preset", "poster",     "chapters",  "poster chapters"};
    // A poster and chapters are a video's.
    for (const auto& [other, option] : outputs)
        if (other != "video" && other != "poster" && other != "chapters")
            refused.insert({other + " poster", other + " chapters"});
    for (std::size_t a = 0; a < outputs.size(); ++a)
        for (std::size_t b = a; b < outputs.size(); ++b) {
            const std::set<std::string> given = {outputs[a].first, outputs[b].first};
            const std::string pair = outputs[a].first + (a == b ? "" : " " + outputs[b].first);
            for (const char* made : {"out", "v.mp4", "v.png", "ch.txt"})
                std::filesystem::remove_all(made);
            const Result run =
                runProgram(OrbRender + common + outputs[a].second + (a == b ? "" : outputs[b].second));
            const auto has = [&given](const char* option) { return given.count(option) != 0; };
            if (refused.count(pair) != 0) {
                EXPECT_EQ(run.status, 2) << pair << ": " << readFile("stderr.txt");
                EXPECT_NE(readFile("stderr.txt").find("Usage: orb-render"), std::string::npos) << pair;
                EXPECT_FALSE(std::filesystem::exists("out") || std::filesystem::exists("v.mp4")) << pair;
                continue;
            }
            ASSERT_EQ(run.status, 0) << pair << ": " << readFile("stderr.txt");
            const int pictures = has("at") ? 1 : 11;
            EXPECT_EQ(std::filesystem::exists("out/frame_" +
                                              std::to_string(1000000 + pictures - 1).substr(1) + ".png") &&
                          !std::filesystem::exists("out/frame_" +
                                                   std::to_string(1000000 + pictures).substr(1) + ".png"),
                      has("frames"))
                << pair;
            EXPECT_EQ(std::filesystem::exists("v.mp4"), has("video")) << pair;
            EXPECT_EQ(std::filesystem::exists("v.png"), has("poster")) << pair;
            EXPECT_EQ(std::filesystem::exists("ch.txt"), has("chapters")) << pair;
            if (has("video")) {
                EXPECT_EQ(pictureCount("v.mp4"), pictures) << pair;
                const Result sound =
                    runProgram("ffprobe -v error -select_streams a -show_entries stream=codec_name "
                               "-of csv=p=0 v.mp4");
                EXPECT_EQ(sound.output, has("at") ? "" : "aac\n") << pair;
            }
            EXPECT_EQ(run.output.find("peak memory") != std::string::npos, has("stats") || has("passes"))
                << pair;
            EXPECT_EQ(run.output.find("dBTP") != std::string::npos,
                      (has("stats") || has("passes")) && has("video") && !has("at"))
                << pair;
            if (has("last")) {
                EXPECT_EQ(run.output, "10\n") << pair;
            }
        }
}

// The output is opened before the first picture: one that cannot be is a failure, not an empty
// success, told in one line. A partial file already there is another render's, and stays.
TEST_F(OrbRenderSoundtrackTest, AnOutputThatCannotBeOpenedFailsTheRender)
{
    writeFile("v.part.mp4", "another render's");
    for (const auto& [output, told] : std::initializer_list<std::pair<const char*, const char*>>{
             {" --video /proc/orb-test/v.mp4",
              "cannot open the output: cannot create /proc/orb-test/v.part.mp4: No such file or directory"},
             {" --frames /proc/orb-test", "writing the output failed: cannot create "
                                          "/proc/orb-test/frame_000000.part.png: No such file or directory"},
             {" --video v.mp4",
              "cannot open the output: cannot create v.part.mp4: it exists: another render is "
              "writing it, or one that was killed left it; remove it to render again"}}) {
        EXPECT_EQ(runProgram(OrbRender + " --fps 10 --width 64 --height 36" + output).status, 1) << output;
        EXPECT_EQ(readFile("stderr.txt"), "orb-render: " + std::string(told) + "\n");
    }
    EXPECT_EQ(readFile("v.part.mp4"), "another render's");
    EXPECT_FALSE(std::filesystem::exists("v.mp4"));
}

} // namespace
} // namespace orb::test
