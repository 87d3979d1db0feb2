#include "FileSystem.h"
#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <stb/stb_image.h>
#include <sys/wait.h>

namespace orb::test {
namespace {

struct Result
{
    int status;
    std::string output; // standard output only
};

Result runProgram(const std::string& commandLine)
{
    Result result{-1, {}};
    FILE* pipe = ::popen((commandLine + " 2>stderr.txt").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, read);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

const std::string Player = ORB_PLAYER;
const std::string Qelpack = ORB_QELPACK;
const std::string Renderer = ORB_RENDER;

struct Picture
{
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int channel(int x, int y, int c) const { return rgb[(std::size_t(y) * width + x) * 3 + c]; }
    int brightest(int c) const
    {
        int most = 0;
        for (std::size_t i = static_cast<std::size_t>(c); i < rgb.size(); i += 3)
            most = std::max<int>(most, rgb[i]);
        return most;
    }
};

Picture readPng(const std::string& path)
{
    Picture picture;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
    if (pixels != nullptr) {
        picture.rgb.assign(pixels, pixels + picture.width * picture.height * 3);
        stbi_image_free(pixels);
    }
    return picture;
}

TEST(Player, InAnEmptyDirectoryExitsZeroAndLogsTheMissingArchiveAndAFullShutdown)
{
    ScratchDirectory scratch;
    // Without a display the setup dialog cannot be shown and the defaults count as confirmed.
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY " + Player).status, 0);
    std::vector<std::string> lines = readLines("Orb.log");
    std::transform(lines.begin(), lines.end(), lines.begin(), withoutSource);
    EXPECT_EQ(lines, withDemoShutdown({
                         "ORB_INFO: DemoSystem Init ...",
                         "ORB_INFO: FileSystem Init ... (Data.qel)",
                         "ORB_ERROR: invalid file 'Data.qel'",
                         "ORB_ERROR: failed to init filesystem. aborting ...",
                     }));
}

class RendererTest : public LoggedTest
{
protected:
    RendererTest() { std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel"); }
};

TEST_F(RendererTest, RendersChosenTimesAsTheTitleFadingInAndTheEndScreen)
{
    const Result rendered = runProgram(Renderer + " --at 2,10 --frames out --width 320 --height 180");
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

TEST_F(RendererTest, RendersARangeFrameByFrameAndReportsItsTimes)
{
    const Result rendered =
        runProgram(Renderer + " --start 1 --end 1.2 --fps 10 --frames range --width 160 --height 90 --stats");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
    EXPECT_TRUE(std::filesystem::exists("range/frame_000002.png"));
    EXPECT_FALSE(std::filesystem::exists("range/frame_000003.png"));
    EXPECT_NE(rendered.output.find("Scene1          3"), std::string::npos) << rendered.output;
    EXPECT_NE(rendered.output.find("peak memory"), std::string::npos);
}

TEST_F(RendererTest, AnswersBadUsageWithStatusTwoAndAFailedStartWithOne)
{
    for (const char* arguments :
         {" --fps", " --fps 0", " --width -3", " --bogus", " --start 2 --end 1", " --at 1,x"}) {
        EXPECT_EQ(runProgram(Renderer + arguments).status, 2) << arguments;
        EXPECT_NE(readFile("stderr.txt").find("usage: orb-render"), std::string::npos);
    }
    const Result help = runProgram(Renderer + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--video FILE"), std::string::npos);
    std::filesystem::remove("Data.qel");
    EXPECT_EQ(runProgram(Renderer + " --at 1 --frames none").status, 1);
    EXPECT_NE(readFile("Orb.log").find("invalid file 'Data.qel'"), std::string::npos);
}

class QelpackTest : public LoggedTest
{
protected:
    QelpackTest()
    {
        writeFile("src/Data/DemoScript.xml", "<demo/>");
        writeFile("src/Data/Images/logo.png", std::string("\x89PNG\0\x01\x02", 7));
        writeFile("src/Data/empty.txt", "");
    }
};

TEST_F(QelpackTest, PacksADirectorySoThatTheEngineReadsEveryFileByteExact)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.init("Data.qel"));
    const auto files = fileSystem.files();
    ASSERT_EQ(files.size(), 3u);
    for (const auto& [name, path] : {std::pair{"Data\\DemoScript.xml", "src/Data/DemoScript.xml"},
                                     std::pair{"Data\\Images\\logo.png", "src/Data/Images/logo.png"}}) {
        ASSERT_TRUE(fileSystem.open(name));
        const std::string bytes = readFile(path);
        ASSERT_EQ(fileSystem.fileSize(name), bytes.size());
        EXPECT_EQ(std::string(fileSystem.fileData(name), bytes.size() + 1), bytes + '\0');
    }
    EXPECT_TRUE(fileSystem.open("Data\\empty.txt"));
}

TEST_F(QelpackTest, WritesTheSameBytesForTheSameFiles)
{
    ASSERT_EQ(runProgram(Qelpack + " create one.qel src/Data").status, 0);
    std::filesystem::last_write_time("src/Data/DemoScript.xml",
                                     std::filesystem::file_time_type::clock::now());
    ASSERT_EQ(runProgram(Qelpack + " create two.qel src/Data").status, 0);
    EXPECT_EQ(readFile("one.qel"), readFile("two.qel"));
}

TEST_F(QelpackTest, ListsEntriesInNameOrderWithTheirSizes)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    const Result listing = runProgram(Qelpack + " list Data.qel");
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.output, "         7  Data\\DemoScript.xml\n"
                              "         7  Data\\Images\\logo.png\n"
                              "         0  Data\\empty.txt\n");
}

TEST_F(QelpackTest, CheckPassesAGoodArchiveAndFailsABadOneWithTheEnginesMessage)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " check Data.qel").output, "Data.qel: 3 files, 14 bytes: ok\n");

    std::string archive = readFile("Data.qel");
    archive[5] = 7;
    writeFile("Data.qel", archive);
    EXPECT_EQ(runProgram(Qelpack + " check Data.qel").status, 1);
    EXPECT_NE(readFile("stderr.txt").find("invalid file version 'Data.qel'"), std::string::npos);
}

TEST_F(QelpackTest, AnswersBadUsageWithTheUsageTextAndStatusTwo)
{
    for (const char* arguments : {"", " pack", " create out.qel", " list", " check a b"}) {
        EXPECT_EQ(runProgram(Qelpack + arguments).status, 2) << arguments;
        EXPECT_NE(readFile("stderr.txt").find("usage: qelpack"), std::string::npos);
    }
}

TEST_F(QelpackTest, RefusesNamesTheFormatCannotHold)
{
    writeFile("long/" + std::string(251, 'x'), "");
    EXPECT_EQ(runProgram(Qelpack + " create long.qel long").status, 1);
    EXPECT_FALSE(std::filesystem::exists("long.qel"));
    EXPECT_EQ(runProgram(Qelpack + " create out.qel missing").status, 1);
}

} // namespace
} // namespace orb::test
