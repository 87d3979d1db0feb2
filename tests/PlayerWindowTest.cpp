// The player as a viewer uses it, under Xvfb (see tests/CMakeLists.txt): the setup dialog, the
// window, Escape; and the preview as an author uses it. Keys come from xdotool; the sound card is
// SDL's dummy driver.

#include "ProgramSupport.h"
#include "TestSupport.h"
#include "XWindowProbe.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stb/stb_image_write.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orb::test {
namespace {

using namespace std::chrono_literals;

// Whether `done` came to hold within `limit`, asked every 20 ms.
bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The first window whose name, or class, matches `pattern`, waiting up to 20 seconds; 0 if none.
// Searched again and again rather than with --sync: a window closing while xdotool walks the tree
// (the dialog, as the player's window opens) ends xdotool with BadWindow and no answer.
std::uintptr_t findWindow(const std::string& what, const std::string& pattern)
{
    std::string id;
    waitUntil(
        [&] {
            id = runProgram("xdotool search " + what + " '" + pattern + "' 2>/dev/null | head -n 1").output;
            return !id.empty();
        },
        20s);
    return id.empty() ? 0 : std::stoul(id);
}

std::uintptr_t dialogWindow()
{
    return findWindow("--onlyvisible --name", "^Vantor Demo Setup$");
}

std::uintptr_t playerWindow()
{
    return findWindow("--class", "^OrbEngineClass$");
}

void keys(const std::string& sequence)
{
    xdotool("key --delay 150 " + sequence);
}

void savePicture(const std::vector<std::uint8_t>& bgra, int width, int height, const std::string& path)
{
    std::vector<std::uint8_t> rgb;
    for (std::size_t i = 0; i < bgra.size(); i += 4)
        rgb.insert(rgb.end(), {bgra[i + 2], bgra[i + 1], bgra[i]});
    stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3);
}

class PlayerWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!probe_.connected())
            GTEST_SKIP() << "no X display; run under xvfb-run";
        std::filesystem::copy_file(ORB_PRODUCTION_ARCHIVE, scratch_.path() / "Data.qel");
    }

    void TearDown() override
    {
        if (player_ > 0) {
            ::kill(player_, SIGKILL);
            ::waitpid(player_, nullptr, 0);
        }
    }

    // The sound goes to SDL's dummy driver unless `environment` names another; stderr into
    // stderr.txt.
    void startPlayer(std::vector<std::pair<std::string, std::string>> environment = {},
                     const std::vector<std::string>& options = {})
    {
        environment.emplace(environment.begin(), "SDL_AUDIODRIVER", "dummy"); // the later one wins
        std::vector<std::string> arguments = {ORB_PLAYER};
        arguments.insert(arguments.end(), options.begin(), options.end());
        player_ = startProgram({arguments, environment, "", "", "stderr.txt"});
    }

    // The preview of the production in `directory`, its standard output (its log) into Orb.log.
    void startPreview(const std::string& directory)
    {
        player_ = startProgram({{ORB_PREVIEW, directory}, {{"SDL_AUDIODRIVER", "dummy"}}, "", "Orb.log"});
    }

    // Waits up to `limit` for the log to hold `line`.
    bool waitForLogLine(const std::string& line, std::chrono::seconds limit = 30s) const
    {
        return waitUntil([&] { return logHas(line); }, limit);
    }

    // The player's exit status, waiting up to `limit`; -1 when it did not end.
    int waitForPlayer(std::chrono::seconds limit)
    {
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(player_, &status, WNOHANG) == player_; }, limit))
            return -1;
        player_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool logHas(const std::string& line) const { return readFile("Orb.log").find(line) != std::string::npos; }
    std::string lastLogLine() const
    {
        const std::vector<std::string> lines = readLines("Orb.log");
        return lines.empty() ? std::string() : withoutSource(lines.back());
    }

    ScratchDirectory scratch_;
    gfx::test::XWindowProbe probe_;
    pid_t player_ = 0;
};

TEST_F(PlayerWindowTest, TheDialogOpensWithItsTitleAndEscapeEndsTheProgramWithAFullShutdown)
{
    startPlayer();
    const std::uintptr_t dialog = dialogWindow();
    ASSERT_NE(dialog, 0u) << "no setup dialog";
    const gfx::test::WindowFacts facts = probe_.facts(dialog);
    EXPECT_EQ(facts.title, "Vantor Demo Setup");
    EXPECT_GT(facts.height, facts.width / 2) << "proportions near the template's 168 x 111";
    std::filesystem::create_directories(ORB_ARTIFACTS);
    savePicture(probe_.pixels(dialog, facts.width, facts.height), facts.width, facts.height,
                std::string(ORB_ARTIFACTS) + "/setup-dialog.png");

    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_TRUE(logHas("ORB_INFO: Well ... no demo then ... fine"));
    EXPECT_TRUE(logHas("ORB_INFO: OperatorManager Shutdown Done"));
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

TEST_F(PlayerWindowTest, EnterOnReleaseCancelsLikeTheButtonItself)
{
    startPlayer();
    ASSERT_NE(dialogWindow(), 0u);
    keys("shift+Tab Return"); // back from the resolution list to "Release", the last button
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_TRUE(logHas("ORB_INFO: Well ... no demo then ... fine"));
    EXPECT_FALSE(logHas("ORB_INFO: DemoSystem Init ..."));
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

TEST_F(PlayerWindowTest, WindowedItOpensAWindowOfTheDefaultSizeShowsTheTitleAndEscapeEndsIt)
{
    startPlayer();
    ASSERT_NE(dialogWindow(), 0u);
    keys("Tab space Return"); // from the resolution list to "Fullscreen:", untick, confirm
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u) << "no player window";
    const gfx::test::WindowFacts facts = probe_.facts(window);
    EXPECT_EQ(facts.width, 1280);
    EXPECT_EQ(facts.height, 720);
    EXPECT_EQ(facts.x, 0);
    EXPECT_EQ(facts.y, 0);
    EXPECT_EQ(facts.title, "orb");

    // The loading screen is orange too: the title is looked for once the demo plays, until its
    // letters, fading in, are bright.
    ASSERT_TRUE(waitForLogLine("ORB_INFO: DemoSystem Init Done"));
    const auto orangePixels = [](const std::vector<std::uint8_t>& shown) {
        int orange = 0;
        for (std::size_t i = 0; i < shown.size(); i += 4)
            orange +=
                shown[i + 2] > 60 && shown[i + 2] > shown[i + 1] * 1.3 && shown[i + 1] > shown[i] ? 1 : 0;
        return orange;
    };
    std::vector<std::uint8_t> shown;
    waitUntil(
        [&] {
            shown = probe_.pixels(window, 1280, 720);
            return orangePixels(shown) > 5000;
        },
        20s);
    std::filesystem::create_directories(ORB_ARTIFACTS);
    savePicture(shown, 1280, 720, std::string(ORB_ARTIFACTS) + "/player-title.png");
    EXPECT_GT(orangePixels(shown), 5000) << "the title's orange letters are on screen";

    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_TRUE(logHas("ORB_INFO: GraphicSystem Init ... (1280,720,1.77778,4,0,00000000,"));
    EXPECT_TRUE(logHas("ORB_INFO: SoundSystem Init ... (44100,1,"));
    EXPECT_TRUE(logHas("ORB_INFO: DemoSystem Init Done"));
    EXPECT_FALSE(logHas("DemoSystem Looping Demo"));
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

TEST_F(PlayerWindowTest, WithLoopDemoTickedTheDemoStartsOverAfterItsLength)
{
    // The production's files as a directory, with a script of the title alone: four bars.
    std::filesystem::remove("Data.qel");
    std::filesystem::create_directory("Data.qel");
    std::filesystem::copy(ORB_PRODUCTION_DATA, "Data", std::filesystem::copy_options::recursive);
    writeFile("Data/DemoScript.xml", R"(<demo><init progressBar="1" fadeout="1.5"><resources/></init>
        <main length="6.9564"><scene id="0" name="s" end="6.9564"><layer name="l" end="6.9564"><children>
        <operator name="Scene1" id="0" start="0" end="6.9564"/></children></layer></scene></main></demo>)");
    startPlayer();
    ASSERT_NE(dialogWindow(), 0u);
    keys("Tab space Tab Tab Tab space Return"); // windowed; on to "Loop Demo:", tick, confirm
    ASSERT_NE(playerWindow(), 0u);
    EXPECT_TRUE(waitForLogLine("ORB_INFO: DemoSystem Looping Demo", 60s)) << "the script is 6.96 s long";
    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

TEST_F(PlayerWindowTest, EscapeEndsItAtOnceWhileLoadingWhileTheLoadingScreenFadesAndWhilePlaying)
{
    const char* const stopped = "ORB_INFO: loading stopped: the viewer quit";
    struct Moment
    {
        const char* after; // the log line the key follows
        bool stopsLoading;
    };
    for (const Moment moment : {Moment{"ORB_INFO: SoundSystem Init Done", true},
                                Moment{"ORB_INFO: loaded; the loading screen fades out over 1.5 s", true},
                                Moment{"ORB_INFO: DemoSystem Init Done", false}}) {
        std::filesystem::remove("Orb.log");
        startPlayer({}, {"--no-dialog", "--window"});
        ASSERT_TRUE(waitForLogLine(moment.after)) << readFile("Orb.log");
        ASSERT_NE(playerWindow(), 0u);
        const auto pressed = std::chrono::steady_clock::now();
        keys("Escape");
        EXPECT_EQ(waitForPlayer(20s), 0) << moment.after;
        const auto took = std::chrono::duration<double>(std::chrono::steady_clock::now() - pressed).count();
        std::printf("Escape after '%s': ended in %.0f ms\n", moment.after, took * 1000.0);
        EXPECT_EQ(logHas(stopped), moment.stopsLoading) << moment.after;
        EXPECT_EQ(logHas("ORB_INFO: DemoSystem Init Done"), !moment.stopsLoading) << moment.after;
        EXPECT_FALSE(logHas("ORB_ERROR")) << readFile("Orb.log");
        EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
        EXPECT_EQ(readFile("stderr.txt"), "");
    }
}

TEST_F(PlayerWindowTest, WithoutASoundDeviceItSaysSoAndShutsDown)
{
    startPlayer({{"SDL_AUDIODRIVER", "no-such-driver"}});
    ASSERT_NE(dialogWindow(), 0u);
    keys("Tab space Return");
    EXPECT_EQ(waitForPlayer(30s), 1);
    EXPECT_TRUE(logHas("failed to init soundsystem. aborting ...")) << readFile("Orb.log");
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
    EXPECT_EQ(readFile("stderr.txt").rfind("orb: no demo: ", 0), 0u) << readFile("stderr.txt");
}

TEST_F(PlayerWindowTest, WithoutOpenGL45ItSaysSoAndExitsOne)
{
    startPlayer({{"MESA_GL_VERSION_OVERRIDE", "3.3"}});
    ASSERT_NE(dialogWindow(), 0u);
    keys("Tab space Return");
    EXPECT_EQ(waitForPlayer(30s), 1);
    const std::string said = readFile("stderr.txt");
    EXPECT_EQ(said.rfind("orb: no demo: ", 0), 0u) << said;
    EXPECT_NE(said.find("OpenGL 4.5"), std::string::npos) << said;
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

TEST_F(PlayerWindowTest, AQuitSignalAtAnyStageEndsTheProgramByItsFullShutdown)
{
    // At the dialog, a signal cancels it.
    startPlayer();
    ASSERT_NE(dialogWindow(), 0u);
    ::kill(player_, SIGTERM);
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_TRUE(logHas("ORB_INFO: Well ... no demo then ... fine"));
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");

    // While loading, before the window and SDL are there, and while playing.
    for (const auto& [signal, sentAfter] : {std::pair{SIGTERM, "ORB_INFO: DemoSystem Init ..."},
                                            std::pair{SIGINT, "ORB_INFO: DemoSystem Init Done"}}) {
        std::filesystem::remove("Orb.log");
        startPlayer();
        const std::uintptr_t dialog = dialogWindow();
        ASSERT_NE(dialog, 0u);
        // The killed dialog took the keyboard focus with it, and there is no window manager.
        xdotool("windowfocus --sync " + std::to_string(dialog));
        keys("Tab space Return");
        ASSERT_TRUE(waitForLogLine(sentAfter)) << readFile("Orb.log");
        ::kill(player_, signal);
        EXPECT_EQ(waitForPlayer(30s), 0) << sentAfter;
        EXPECT_TRUE(
            logHas(std::string("ORB_INFO: quitting on ") + (signal == SIGTERM ? "SIGTERM" : "SIGINT")));
        EXPECT_TRUE(logHas("ORB_INFO: OperatorManager Shutdown Done"));
        EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
    }
}

TEST_F(PlayerWindowTest, InADirectoryItCannotWriteTheDemoStillPlays)
{
    namespace fs = std::filesystem;
    fs::create_directory("readonly");
    fs::rename("Data.qel", "readonly/Data.qel");
    fs::permissions("readonly", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::permissions(".", fs::perms::others_exec | fs::perms::group_exec, fs::perm_options::add);
    // Root may write anywhere: the player then runs as nobody, with a key to the X server it can read.
    const bool root = ::geteuid() == 0;
    if (root && std::getenv("XAUTHORITY") != nullptr) {
        fs::copy_file(std::getenv("XAUTHORITY"), "xauthority");
        fs::permissions("xauthority", fs::perms::others_read, fs::perm_options::add);
    }
    Launch launch{{ORB_PLAYER}, {{"SDL_AUDIODRIVER", "dummy"}}, "readonly"};
    if (root)
        launch.arguments = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                            ORB_PLAYER};
    if (fs::exists("xauthority"))
        launch.environment.emplace_back("XAUTHORITY", fs::current_path() / "xauthority");
    player_ = startProgram(launch);
    ASSERT_NE(dialogWindow(), 0u);
    keys("Tab space Return");
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u);
    // The loading bar is the first thing drawn.
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::vector<std::uint8_t> shown = probe_.pixels(window, 1280, 720);
            return std::any_of(shown.begin(), shown.end(), [](std::uint8_t level) { return level > 100; });
        },
        30s))
        << "the demo plays";
    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_FALSE(fs::exists("readonly/Orb.log"));
    fs::permissions("readonly", fs::perms::owner_write, fs::perm_options::add);
}

// An X server of the test's own, which it can take away while the demo plays.
TEST_F(PlayerWindowTest, WhenTheDisplayGoesAwayWhilePlayingItLogsItAndShutsDown)
{
    const std::string played =
        runProgram(
            "sh -c 'Xvfb -displayfd 3 -screen 0 1280x720x24 3>display.txt 2>/dev/null & server=$!; " +
            shellWait("[ -s display.txt ]", "Xvfb to name its display", 20, "kill $server 2>/dev/null") +
            "export DISPLAY=:$(cat display.txt); "
            "SDL_AUDIODRIVER=dummy " ORB_PLAYER
            " & player=$!; (sleep 60; kill -9 $player) > /dev/null 2>&1 & "
            "timeout 20 xdotool search --sync --onlyvisible --name \"^Vantor Demo Setup$\" > /dev/null; "
            "xdotool key --delay 150 Tab space Return; " +
            shellWait("grep -q \"DemoSystem Init Done\" Orb.log 2>/dev/null",
                      "the player to log DemoSystem Init Done", 60, "kill -9 $player $server 2>/dev/null") +
            "sleep 1; kill $server; wait $player; echo status $?'")
            .output;
    EXPECT_NE(played.find("status 0"), std::string::npos) << played;
    EXPECT_TRUE(logHas(") the display has gone away")) << readFile("Orb.log");
    EXPECT_TRUE(logHas("ORB_INFO: GraphicSystem Shutdown Done"));
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

// Where the dummy driver's output is and in which mode, as "1600x900+1024+0\n"; empty when it is
// off. Read as it stands: asking the server to probe its outputs while a window is full screen
// upsets SDL.
std::string dummyOutput(const std::string& name)
{
    return runProgram("xrandr --current | sed -n 's/^" + name +
                      " connected \\(primary \\)*\\([0-9x+]*\\).*/\\2/p'")
        .output;
}

// Displays that switch modes (tests/displays/with-displays), under a window manager.
class PlayerOnDisplaysTest : public PlayerWindowTest
{
protected:
    void setUpOn(const std::string& monitors)
    {
        PlayerWindowTest::SetUp();
        if (IsSkipped())
            return;
        if (runProgram("xrandr --current --listmonitors").output.find(monitors) == std::string::npos ||
            dummyOutput("DUMMY0").empty())
            GTEST_SKIP() << "not the displays asked for; run under tests/displays/with-displays";
    }
};

// DUMMY0 alone, at 1600 x 900, with a 1280 x 720 mode.
class PlayerOnOneDisplayTest : public PlayerOnDisplaysTest
{
protected:
    void SetUp() override { setUpOn("Monitors: 1"); }
};

// DUMMY0, the primary, 1024 x 768, without a 1280 x 720 mode; DUMMY1, 1600 x 900 with a 1280 x 720
// mode, to its right.
class PlayerOnTwoDisplaysTest : public PlayerOnDisplaysTest
{
protected:
    void SetUp() override { setUpOn("Monitors: 2"); }
    static std::string secondDisplay() { return dummyOutput("DUMMY1"); }
};

TEST_F(PlayerOnOneDisplayTest, FullScreenSwitchesToTheFramesModeAndBackAfterwards)
{
    ASSERT_EQ(dummyOutput("DUMMY0"), "1600x900+0+0\n");
    startPlayer({}, {"--no-dialog"});
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForLogLine("ORB_INFO: showing on "));
    EXPECT_TRUE(
        logHas("ORB_INFO: showing on display 1 'DUMMY0' (1600 x 900) full screen in its 1280 x 720 mode"))
        << readFile("Orb.log");
    EXPECT_TRUE(waitUntil([] { return dummyOutput("DUMMY0") == "1280x720+0+0\n"; }, 10s))
        << dummyOutput("DUMMY0");
    gfx::test::WindowFacts facts;
    waitUntil(
        [&] {
            facts = probe_.facts(window);
            return facts.width == 1280 && facts.height == 720;
        },
        10s);
    EXPECT_EQ(facts.width, 1280);
    EXPECT_EQ(facts.height, 720);
    EXPECT_EQ(facts.x, 0);
    ASSERT_TRUE(waitForLogLine("ORB_INFO: DemoSystem Init Done"));
    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_FALSE(logHas("ORB_ERROR")) << readFile("Orb.log");
    EXPECT_EQ(dummyOutput("DUMMY0"), "1600x900+0+0\n") << "the desktop's mode again";
}

struct Placement
{
    std::vector<std::string> options;
    bool fullscreen;
    int left, width, height; // where the window is, on the desktop
    std::string shown;       // what the log says of it
};

TEST_F(PlayerOnTwoDisplaysTest, TheOptionsOpenTheWindowOnTheDisplayAskedForAtItsSize)
{
    ASSERT_EQ(secondDisplay(), "1600x900+1024+0\n");
    startPlayer({}, {"--no-dialog", "--display", "3"});
    EXPECT_EQ(waitForPlayer(30s), 1);
    EXPECT_NE(readFile("stderr.txt").find("there is no display 3: the window system has 2"),
              std::string::npos)
        << readFile("stderr.txt");
    for (
        const Placement& placement :
        {Placement{
             {"--no-dialog", "--window"}, false, 0, 1280, 720, "display 1 'DUMMY0' (1024 x 768) in a window"},
         Placement{{"--window", "--display", "2", "--no-dialog"},
                   false,
                   1024,
                   1280,
                   720,
                   "display 2 'DUMMY1' (1600 x 900) in a window"},
         Placement{
             {"--no-dialog"},
             true,
             0,
             1024,
             768,
             "display 1 'DUMMY0' (1024 x 768) full screen in the desktop's mode (SDL switches no mode beside "
             "other displays)"},
         Placement{
             {"--no-dialog", "--fullscreen", "--display", "2"},
             true,
             1024,
             1600,
             900,
             "display 2 'DUMMY1' (1600 x 900) full screen in the desktop's mode (SDL switches no mode beside "
             "other displays)"}}) {
        const std::string asked = ::testing::PrintToString(placement.options);
        std::filesystem::remove("Orb.log");
        startPlayer({}, placement.options);
        const std::uintptr_t window = playerWindow();
        ASSERT_NE(window, 0u) << asked;
        ASSERT_TRUE(waitForLogLine("ORB_INFO: showing on ")) << asked;
        EXPECT_TRUE(logHas("ORB_INFO: showing on " + placement.shown + ", on SDL's 'x11' video driver"))
            << asked << "\n"
            << readFile("Orb.log");
        gfx::test::WindowFacts facts;
        // The window manager frames a window and moves a full screen one into place.
        waitUntil(
            [&] {
                facts = probe_.facts(window);
                return facts.width == placement.width && facts.height == placement.height &&
                       facts.x >= placement.left && (!placement.fullscreen || facts.x == placement.left);
            },
            10s);
        EXPECT_EQ(facts.width, placement.width) << asked;
        EXPECT_EQ(facts.height, placement.height) << asked;
        EXPECT_GE(facts.x, placement.left) << asked;
        EXPECT_LT(facts.x, placement.left + 50) << asked;
        EXPECT_LT(facts.y, 50) << asked;
        EXPECT_EQ(secondDisplay(), "1600x900+1024+0\n") << asked;
        keys("Escape");
        EXPECT_EQ(waitForPlayer(20s), 0) << asked;
        EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done") << asked;
    }
}

TEST_F(PlayerOnTwoDisplaysTest, KeepingTheDesktopsModeTheFramesKeepTheirShapeBetweenBlackBands)
{
    startPlayer({}, {"--no-dialog"});
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForLogLine("ORB_INFO: DemoSystem Init Done"));
    // 1280 x 720 scaled into 1024 x 768 is 1024 x 576, 96 rows below the top.
    const auto lit = [](const std::vector<std::uint8_t>& shown, int fromRow, int toRow) {
        int count = 0;
        for (std::size_t i = static_cast<std::size_t>(fromRow) * 1024 * 4;
             i < static_cast<std::size_t>(toRow) * 1024 * 4; i += 4)
            count += shown[i] + shown[i + 1] + shown[i + 2] > 30 ? 1 : 0;
        return count;
    };
    std::vector<std::uint8_t> shown;
    waitUntil(
        [&] {
            shown = probe_.pixels(window, 1024, 768);
            return lit(shown, 96, 672) > 2000;
        },
        20s);
    std::filesystem::create_directories(ORB_ARTIFACTS);
    savePicture(shown, 1024, 768, std::string(ORB_ARTIFACTS) + "/player-desktop-mode.png");
    EXPECT_GT(lit(shown, 96, 672), 2000) << "the title, scaled";
    EXPECT_EQ(lit(shown, 0, 94), 0) << "the band above";
    EXPECT_EQ(lit(shown, 674, 768), 0) << "the band below";
    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
}

TEST_F(PlayerOnTwoDisplaysTest, TheDialogOffersTheSecondDisplayAndThePlayerOpensThere)
{
    startPlayer();
    ASSERT_NE(dialogWindow(), 0u);
    // Windowed, then past aspect, sound, loop and multisamples to the display's list.
    keys("Tab space Tab Tab Tab Tab Tab Down Return");
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(waitForLogLine("ORB_INFO: showing on "));
    EXPECT_TRUE(logHas("ORB_INFO: showing on display 2 'DUMMY1' (1600 x 900) in a window"))
        << readFile("Orb.log");
    gfx::test::WindowFacts facts;
    waitUntil(
        [&] {
            facts = probe_.facts(window);
            return facts.x >= 1024;
        },
        10s);
    EXPECT_GE(facts.x, 1024);
    EXPECT_EQ(facts.width, 1280);
    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
}

} // namespace
} // namespace orb::test

namespace orb::test {
namespace {

// Seconds from an effect's saving to its first frame on screen are logged, and printed here.
TEST_F(PlayerWindowTest, ThePreviewMovesByItsKeysAndShowsAnEffectSoonAfterItIsSaved)
{
    std::filesystem::copy(ORB_PRODUCTION_DATA, "Production", std::filesystem::copy_options::recursive);
    startPreview("Production");
    ASSERT_TRUE(waitForLogLine("ORB_INFO: demo loaded")) << readFile("Orb.log");
    const std::uintptr_t window = playerWindow();
    ASSERT_NE(window, 0u) << "no preview window";
    EXPECT_EQ(probe_.facts(window).title, "orb-preview");
    // Scene2 and four bars on (bar 9, about 14 s: the demo plays between the keys), paused. Each
    // key waits for its seek, logged once the preview has taken it.
    const auto seeks = [] {
        const std::string log = readFile("Orb.log");
        std::size_t count = 0;
        for (std::size_t at = log.find("ORB_INFO: seek to "); at != std::string::npos;
             at = log.find("ORB_INFO: seek to ", at + 1))
            ++count;
        return count;
    };
    for (const char* key : {"Next", "Right", "Right", "Right", "Right"}) {
        const std::size_t before = seeks();
        keys(key);
        ASSERT_TRUE(waitUntil([&] { return seeks() > before; }, 20s)) << key << "\n" << readFile("Orb.log");
    }
    keys("space");
    ASSERT_TRUE(logHas("(bar 9, Scene2)")) << readFile("Orb.log");
    // Down in the left corner, where the floor of tiles shows: dark, then the edit's blue.
    const auto floor = [&] {
        const std::vector<std::uint8_t> shown = probe_.pixels(window, 1280, 720);
        return std::vector<std::uint8_t>(&shown[(600 * 1280 + 120) * 4], &shown[(600 * 1280 + 120) * 4 + 3]);
    };
    ASSERT_LT(floor()[0], 100);

    std::string effect = readFile("Production/Scene2.fx");
    const std::string output = "colour = vec4((tiles + light) * vignette + c3.rgb, 1.0);";
    effect.replace(effect.find(output), output.size(), "colour = vec4(0.0, 0.0, 1.0, 1.0);");
    writeFile("Production/Scene2.fx", effect);
    ASSERT_TRUE(waitForLogLine("ORB_INFO: Data\\Scene2.fx on screen "));
    const std::string log = readFile("Orb.log");
    const std::size_t shown = log.find("Data\\Scene2.fx on screen ");
    std::cout << "[ preview  ] " << log.substr(shown, log.find('\n', shown) - shown) << "\n";
    EXPECT_TRUE(waitUntil([&] { return floor()[0] > 200; }, 10s)) << "the saved effect draws";
    // Paused, the picture under the status lines and between the panels (whose costs change)
    // stands still.
    const auto picture = [&] {
        const std::vector<std::uint8_t> shown = probe_.pixels(window, 1280, 720);
        std::vector<std::uint8_t> middle;
        for (int y = 200; y < 600; ++y)
            middle.insert(middle.end(), &shown[(y * 1280 + 320) * 4], &shown[(y * 1280 + 960) * 4]);
        return middle;
    };
    const std::vector<std::uint8_t> first = picture();
    // Frames go on being drawn: the panels' costs change from one to the next.
    const std::vector<std::uint8_t> whole = probe_.pixels(window, 1280, 720);
    EXPECT_TRUE(waitUntil([&] { return probe_.pixels(window, 1280, 720) != whole; }, 20s))
        << "no frame drawn";
    EXPECT_TRUE(picture() == first);

    keys("Escape");
    EXPECT_EQ(waitForPlayer(20s), 0);
    EXPECT_EQ(lastLogLine(), "ORB_INFO: DemoSystem Shutdown Done");
}

} // namespace
} // namespace orb::test
