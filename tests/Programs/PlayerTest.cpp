#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>

namespace orb::test {
namespace {

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

TEST(Player, WithoutADisplayItSaysSoAndDoesNotPlayUnseen)
{
    ScratchDirectory scratch;
    std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, "Data.qel");
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy " + Player).status, 0);
    std::vector<std::string> lines = readLines("Orb.log");
    std::transform(lines.begin(), lines.end(), lines.begin(), withoutSource);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[4].rfind("ORB_ERROR: CreateWindowEx failed", 0), 0u) << lines[4];
    EXPECT_NE(readFile("Orb.log").find("no display to show a window on"), std::string::npos);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ORB_ERROR: failed to init graphicsystem. aborting ..."),
              lines.end());
    EXPECT_EQ(lines.back(), "ORB_INFO: DemoSystem Shutdown Done");
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "ORB_INFO: DemoSystem Init Done"), lines.end());
}

} // namespace
} // namespace orb::test
