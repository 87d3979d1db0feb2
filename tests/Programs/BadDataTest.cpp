// orb-render on the production with one thing wrong at a time: a file missing, an effect broken,
// the archive damaged, the disk full, a signal. Whatever it is, Orb.log says what went wrong and
// ends with the full shutdown, and the status says whether the demo started (1 when it did not).

#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unistd.h>

namespace orb::test {
namespace {

// The production's files as a directory, so that one can be taken away or changed.
class BadDataTest : public ::testing::Test
{
protected:
    BadDataTest()
    {
        std::filesystem::copy(ORB_PRODUCTION_DATA, "Data", std::filesystem::copy_options::recursive);
        std::filesystem::create_directory("Data.qel");
    }

    // A few times in different scenes, so that every operator draws.
    static Result render()
    {
        return runProgram(OrbRender + " --width 64 --height 36 --at 1,40,70,95,150 --frames out");
    }

    static bool logHas(const std::string& line)
    {
        const std::vector<std::string> lines = readLines("Orb.log");
        return std::any_of(lines.begin(), lines.end(),
                           [&line](const std::string& each) { return withoutSource(each) == line; });
    }

    static bool logHasErrors() { return readFile("Orb.log").find("ORB_ERROR") != std::string::npos; }

    static void expectFullShutdown()
    {
        const std::vector<std::string> lines = readLines("Orb.log");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "ORB_INFO: DemoSystem Shutdown Done");
        EXPECT_TRUE(logHas("ORB_INFO: OperatorManager Shutdown Done"));
    }

    static void replaceIn(const std::string& path, const std::string& from, const std::string& to)
    {
        std::string text = readFile(path);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        writeFile(path, text.replace(at, from.size(), to));
    }

    ScratchDirectory scratch_;
};

struct MissingFile
{
    const char* name;
    int status;
    const char* consequence; // the line that follows the file system's, empty when none does
};

void PrintTo(const MissingFile& file, std::ostream* out)
{
    *out << file.name;
}

class MissingFileTest : public BadDataTest, public ::testing::WithParamInterface<MissingFile>
{
};

TEST_P(MissingFileTest, IsNamedInTheLogAndTheDemoGoesOnOrStopsAsItMust)
{
    const MissingFile& missing = GetParam();
    std::filesystem::remove(std::filesystem::path("Data") / missing.name);
    const Result rendered = render();
    EXPECT_EQ(rendered.status, missing.status) << readFile("stderr.txt");
    EXPECT_TRUE(logHas("ORB_ERROR: failed opening file 'Data\\" + std::string(missing.name) + "'"));
    if (*missing.consequence != '\0') {
        EXPECT_TRUE(logHas(std::string("ORB_ERROR: ") + missing.consequence)) << missing.consequence;
    }
    EXPECT_EQ(std::filesystem::exists("out/frame_000004.png"), missing.status == 0);
    expectFullShutdown();
}

constexpr const char* GraphicsFailed = "failed to init graphicsystem. aborting ...";
constexpr const char* DemoFailed = "failed to load demo. aborting ...";

INSTANTIATE_TEST_SUITE_P(
    EveryProductionFile, MissingFileTest,
    ::testing::Values(
        MissingFile{"DemoScript.xml", 1, "failed to load demo script 'Data\\DemoScript.xml'. aborting ..."},
        MissingFile{"Compositor.fx", 1, GraphicsFailed}, MissingFile{"Downsample4x4.fx", 1, GraphicsFailed},
        MissingFile{"GaussianBlur.fx", 1, GraphicsFailed}, MissingFile{"Scene2.fx", 1, DemoFailed},
        MissingFile{"Scene3.fx", 1, DemoFailed}, MissingFile{"Scene4.fx", 1, DemoFailed},
        MissingFile{"Scene5.fx", 1, DemoFailed}, MissingFile{"Scene6.fx", 1, DemoFailed},
        MissingFile{"Scene7.fx", 1, DemoFailed}, MissingFile{"Scene8.fx", 1, DemoFailed},
        MissingFile{"Scene9.fx", 1, DemoFailed},
        MissingFile{"tevro_logoscreen.png", 1, "Failed to initialize operator Scene1"},
        MissingFile{"tevro_mainlogo.png", 1, "Failed to initialize operator Scene2"},
        MissingFile{"tevro_pokal.x", 1, "Failed to initialize operator Scene3"},
        MissingFile{"tevro_overlay1.png", 1, "Failed to initialize operator Scene5"},
        MissingFile{"tevro_endscreen.png", 1, "Failed to initialize operator Scene10"},
        // The loading screen and the music are not needed for the demo to play.
        MissingFile{"tevro_loader_empty.png", 0, ""}, MissingFile{"tevro_loader_1px.png", 0, ""},
        MissingFile{"tevro_loader_chrome.png", 0, ""},
        MissingFile{"velmora.mp3", 0, "BASS_StreamCreateFile failed for 'Data\\velmora.mp3'"},
        MissingFile{"VistaSanAltRegIta.ttf", 1, ""}),
    [](const ::testing::TestParamInfo<MissingFile>& info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
            '_');
        return name;
    });

TEST_F(BadDataTest, AnEffectThatDoesNotCompileStopsTheStartWithTheCompilersLine)
{
    for (const char* effect : {"Scene2.fx", "Compositor.fx"}) {
        const std::string path = std::string("Data/") + effect;
        const std::string intact = readFile(path);
        replaceIn(path, "void main()", "void main())");
        EXPECT_EQ(render().status, 1) << effect;
        EXPECT_TRUE(logHas("ORB_ERROR: CreateEffect failed for Data\\" + std::string(effect)));
        EXPECT_NE(readFile("Orb.log").find("error: syntax error"), std::string::npos) << effect;
        expectFullShutdown();
        writeFile(path, intact);
    }
}

TEST_F(BadDataTest, AParameterAnEffectUsesButDoesNotDeclareStopsTheStart)
{
    replaceIn("Data/Scene6.fx", "uniform vec4 f;", "");
    EXPECT_EQ(render().status, 1);
    EXPECT_TRUE(logHas("ORB_ERROR: CreateEffect failed for Data\\Scene6.fx"));
    EXPECT_NE(readFile("Orb.log").find("`f' undeclared"), std::string::npos);
    expectFullShutdown();
}

TEST_F(BadDataTest, AParameterAnEffectLacksLeavesItsPartOfThePictureOut)
{
    // The wash to white at the main logo scene's end, set every frame, is gone from the effect.
    replaceIn("Data/Scene2.fx", "uniform vec4 c3;", "");
    replaceIn("Data/Scene2.fx", " + c3.rgb", "");
    EXPECT_EQ(render().status, 0) << readFile("stderr.txt");
    EXPECT_FALSE(logHasErrors()) << readFile("Orb.log");
    EXPECT_TRUE(std::filesystem::exists("out/frame_000004.png"));
    expectFullShutdown();
}

TEST_F(BadDataTest, WithoutItsSecondPassTheSpriteSceneShowsItsBackgroundAlone)
{
    const auto sceneAt = [](const char* directory) {
        EXPECT_EQ(runProgram(OrbRender + " --width 160 --height 90 --at 75 --frames " + directory).status, 0)
            << readFile("stderr.txt");
        return readPng(std::string(directory) + "/frame_000000.png");
    };
    const Picture whole = sceneAt("whole");
    std::string effect = readFile("Data/Scene4.fx");
    writeFile("Data/Scene4.fx", effect.substr(0, effect.find("@pass 1")));
    const Picture background = sceneAt("background");
    EXPECT_FALSE(logHasErrors()) << readFile("Orb.log");
    ASSERT_EQ(whole.rgb.size(), background.rgb.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < whole.rgb.size(); i += 3)
        changed +=
            std::abs(whole.rgb[i] - background.rgb[i]) + std::abs(whole.rgb[i + 1] - background.rgb[i + 1]) >
            40;
    EXPECT_GT(changed, 100u) << "the sprite's cubes are missing";
    EXPECT_LT(changed, whole.rgb.size() / 3 / 2) << "the background is still drawn";
}

TEST_F(BadDataTest, ADamagedArchiveStopsTheStartWithTheFileSystemsLine)
{
    std::filesystem::remove_all("Data.qel");
    const std::string archive = readFile(ORB_PRODUCTION_ARCHIVE);
    std::string flipped = archive;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x10);
    for (const std::string& damaged : {archive.substr(0, archive.size() / 3), flipped}) {
        writeFile("Data.qel", damaged);
        EXPECT_EQ(render().status, 1);
        EXPECT_TRUE(logHas("ORB_ERROR: failed decrunching file. archive is corrupt'Data.qel'"));
        EXPECT_TRUE(logHas("ORB_ERROR: failed to init filesystem. aborting ..."));
        expectFullShutdown();
    }
}

TEST_F(BadDataTest, InADirectoryItCannotWriteTheDemoPlaysWithoutItsLog)
{
    namespace fs = std::filesystem;
    fs::create_directories("readonly");
    fs::copy_file(ORB_PRODUCTION_ARCHIVE, "readonly/Data.qel");
    fs::create_directory("frames");
    fs::permissions("frames", fs::perms::all);
    fs::permissions("readonly", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(".", fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    // Root may write anywhere: the program then runs as nobody.
    const std::string asNobody =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const Result rendered = runProgram("sh -c 'cd readonly && exec " + asNobody + OrbRender +
                                       " --width 64 --height 36 --at 1,95 --frames " +
                                       (scratch_.path() / "frames").string() + "'");
    EXPECT_EQ(rendered.status, 0) << readFile("stderr.txt");
    EXPECT_EQ(readPng("frames/frame_000001.png").width, 64);
    EXPECT_FALSE(fs::exists("readonly/Orb.log"));
    fs::permissions("readonly", fs::perms::owner_write, fs::perm_options::add);
}

// A disk that fills: a small file system of its own, mounted in a mount namespace of the run.
class FullDiskTest : public BadDataTest
{
protected:
    void SetUp() override
    {
        if (runProgram("unshare -rm true").status != 0)
            GTEST_SKIP() << "no mount namespace for a small file system here";
    }

    // Runs orb-render with `options` and a 256 KiB file system at "out", and copies out what it
    // left there to "left".
    static Result renderOntoSmallDisk(const std::string& options)
    {
        std::filesystem::create_directory("out");
        return runProgram("unshare -rm sh -c 'mount -t tmpfs -o size=256k tmpfs out && " + OrbRender + " " +
                          options + "; status=$?; cp -r out left; exit $status'");
    }
};

TEST_F(FullDiskTest, FramesStopWithTheReasonAndEveryFrameLeftIsWhole)
{
    const Result rendered =
        renderOntoSmallDisk("--width 320 --height 180 --start 8 --end 30 --fps 2 --frames out");
    EXPECT_EQ(rendered.status, 1);
    EXPECT_NE(readFile("stderr.txt").find("No space left on device"), std::string::npos)
        << readFile("stderr.txt");
    std::size_t frames = 0;
    for (const auto& file : std::filesystem::directory_iterator("left")) {
        EXPECT_EQ(file.path().filename().string().find(".part"), std::string::npos) << file.path();
        EXPECT_EQ(readPng(file.path().string()).width, 320) << file.path();
        ++frames;
    }
    EXPECT_GT(frames, 0u);
    EXPECT_LT(frames, 45u);
    expectFullShutdown();
}

TEST_F(FullDiskTest, AVideoThatDoesNotFitLeavesNoFileBehind)
{
    const Result rendered =
        renderOntoSmallDisk("--width 320 --height 180 --start 8 --end 60 --video out/demo.mp4");
    EXPECT_EQ(rendered.status, 1);
    const std::string message = readFile("stderr.txt");
    EXPECT_NE(message.find("writing the output failed: av_interleaved_write_frame: No space left on device"),
              std::string::npos)
        << message;
    EXPECT_TRUE(std::filesystem::is_empty("left"));
    expectFullShutdown();
}

TEST_F(BadDataTest, ASignalStopsTheRenderWithAFullShutdownAndNoPartOfAVideo)
{
    std::filesystem::remove_all("Data.qel");
    std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel");
    for (const char* signal : {"TERM", "INT"}) {
        std::filesystem::remove("Orb.log");
        // Sent a second after the demo has started to play.
        const Result stopped =
            runProgram("sh -c '" + OrbRender + " --width 160 --height 90 --video demo.mp4 & pid=$!; " +
                       shellWait("grep -q \"DemoSystem Init Done\" Orb.log 2>/dev/null",
                                 "orb-render to log DemoSystem Init Done", 60, "kill -9 $pid 2>/dev/null") +
                       "sleep 1; kill -" + signal + " $pid; wait $pid'");
        EXPECT_EQ(stopped.status, 1) << signal << ": " << readFile("stderr.txt");
        EXPECT_NE(readFile("stderr.txt").find("stopped by a signal"), std::string::npos)
            << readFile("stderr.txt");
        EXPECT_FALSE(std::filesystem::exists("demo.mp4"));
        EXPECT_FALSE(std::filesystem::exists("demo.part.mp4"));
        expectFullShutdown();
    }
}

} // namespace
} // namespace orb::test
