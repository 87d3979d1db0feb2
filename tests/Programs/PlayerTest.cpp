#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>

namespace orb::test {
namespace {

// What the player says on stderr when no demo could be played.
std::string noDemo(const std::string& cause)
{
    return "orb: no demo: " + cause + " (the log: " + (std::filesystem::current_path() / "Orb.log").string() +
           ")";
}

// The player's last line on stderr: the libraries it loads may have said something before it.
std::string saidLast()
{
    const std::vector<std::string> lines = readLines("stderr.txt");
    return lines.empty() ? std::string() : lines.back();
}

TEST(Player, RefusesOptionsItCannotUseWithExitTwoBeforeItLogsAnything)
{
    ScratchDirectory scratch;
    const std::string badDisplay = "bad or missing value for --display: a display's number, from 1";
    const std::string badOffset = "bad or missing value for --sound-offset: milliseconds, -1000 to 1000";
    for (const auto& [options, fault] : std::vector<std::pair<std::string, std::string>>{
             {"--display", badDisplay},
             {"--display 0", badDisplay},
             {"--display two", badDisplay},
             {"--display 1.5 --no-dialog", badDisplay},
             {"--fullscreen --window", "--fullscreen and --window go apart"},
             {"--window --no-dialog --fullscreen", "--fullscreen and --window go apart"},
             {"--windowed", "unknown argument '--windowed'"},
             {"--sound-offset", badOffset},
             {"--sound-offset 1001", badOffset},
             {"--sound-offset -12.5", badOffset},
         }) {
        EXPECT_EQ(runProgram(Player + " " + options).status, 2) << options;
        EXPECT_EQ(readLines("stderr.txt").front(), "orb: " + fault) << options;
        EXPECT_NE(readFile("stderr.txt").find("Usage: orb [options]"), std::string::npos) << options;
        EXPECT_FALSE(std::filesystem::exists("Orb.log")) << options;
    }
    const Result help = runProgram(Player + " --window --help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--display N", "--fullscreen", "--window", "--no-dialog", "--sound-offset MS",
                               "--help", "Exit status"})
        EXPECT_NE(help.output.find(option), std::string::npos) << option;
    EXPECT_FALSE(std::filesystem::exists("Orb.log"));
}

TEST(Player, InAnEmptyDirectoryExitsOneNamingTheMissingArchiveAndLogsAFullShutdown)
{
    ScratchDirectory scratch;
    // Without a display the setup dialog cannot be shown and the defaults count as confirmed.
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY " + Player).status, 1);
    EXPECT_EQ(saidLast(), noDemo("invalid file 'Data.qel'"));
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
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy " + Player).status, 1);
    EXPECT_EQ(saidLast().rfind("orb: no demo: CreateWindowEx failed", 0), 0u) << readFile("stderr.txt");
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

TEST(Player, WithADamagedArchiveExitsOneNamingIt)
{
    ScratchDirectory scratch;
    std::string archive = readFile(ORB_PRODUCTION_ARCHIVE);
    archive.resize(archive.size() / 2);
    writeFile("Data.qel", archive);
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY " + Player).status, 1);
    const std::string said = saidLast();
    EXPECT_EQ(said.rfind("orb: no demo: ", 0), 0u) << readFile("stderr.txt");
    EXPECT_NE(said.find("Data.qel"), std::string::npos) << said;
}

} // namespace
} // namespace orb::test
