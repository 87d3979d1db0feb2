#include "ProgramSupport.h"
#include "TestSupport.h"

namespace orb::test {
namespace {

class OrbRenderTest : public LoggedTest
{
protected:
    OrbRenderTest() { std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel"); }
};

TEST_F(OrbRenderTest, RendersChosenTimesAsTheTitleFadingInAndTheEndScreen)
{
    const Result rendered = runProgram(OrbRender + " --at 2,10 --frames out --width 320 --height 180");
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

TEST_F(OrbRenderTest, RendersARangeFrameByFrameAndReportsItsTimes)
{
    const Result rendered = runProgram(
        OrbRender + " --start 1 --end 1.2 --fps 10 --frames range --width 160 --height 90 --stats");
    ASSERT_EQ(rendered.status, 0) << readFile("stderr.txt");
    EXPECT_TRUE(std::filesystem::exists("range/frame_000002.png"));
    EXPECT_FALSE(std::filesystem::exists("range/frame_000003.png"));
    EXPECT_NE(rendered.output.find("Scene1          3"), std::string::npos) << rendered.output;
    EXPECT_NE(rendered.output.find("peak memory"), std::string::npos);
}

TEST_F(OrbRenderTest, AnswersBadUsageWithStatusTwoAndAFailedStartWithOne)
{
    for (const char* arguments :
         {" --fps", " --fps 0", " --width -3", " --bogus", " --start 2 --end 1", " --at 1,x"}) {
        EXPECT_EQ(runProgram(OrbRender + arguments).status, 2) << arguments;
        EXPECT_NE(readFile("stderr.txt").find("usage: orb-render"), std::string::npos);
    }
    const Result help = runProgram(OrbRender + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--video FILE"), std::string::npos);
    std::filesystem::remove("Data.qel");
    EXPECT_EQ(runProgram(OrbRender + " --at 1 --frames none").status, 1);
    EXPECT_NE(readFile("Orb.log").find("invalid file 'Data.qel'"), std::string::npos);
}

} // namespace
} // namespace orb::test
