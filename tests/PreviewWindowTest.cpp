// The preview's panels as an author uses them, under Xvfb (see tests/CMakeLists.txt): the preview
// runs in this process, in a window, on a clock that moves only when a test steps it and with the
// silent sound output; the mouse and the keys come from xdotool.

#include "PreviewFixture.h"
#include "ProgramSupport.h"
#include "StripPanel.h"
#include "XWindowProbe.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orb::preview {
namespace {

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int StripY = Height - 40; // in the strip's waveform, whatever its height
constexpr double Frame = 1.0 / 60.0;

// A user's mouse and keys.
void input(const std::string& arguments)
{
    ASSERT_EQ(test::xdotool(arguments), 0) << arguments;
}

class PreviewWindowTest : public test::PreviewFixture
{
protected:
    void SetUp() override
    {
        if (!probe_.connected())
            GTEST_SKIP() << "no X display; run under xvfb-run";
        open(Host{counter_, GraphicsBackend::Window, {}, SoundOutput::Silent}, Width, Height);
        messages_ = std::make_unique<win::MessageQueue>();
        ASSERT_TRUE(preview_->start());
        step(0.1);
    }

    // Frames until `done` holds, as many as the X server takes to bring xdotool's input; at
    // most twenty.
    template <typename Condition>
    void stepUntil(Condition done)
    {
        for (int frame = 0; frame < 20 && !done(); ++frame)
            step(0.0);
    }

    std::uintptr_t window() { return demo().graphicSystem()->device()->backend().windowHandle(); }
    std::vector<std::uint8_t> shown(int width = Width, int height = Height)
    {
        return probe_.pixels(window(), width, height);
    }

    // The time at the strip's x while it shows the whole demo.
    float timeAtStrip(int x) { return demo().length() * static_cast<float>(x) / Width; }

    // The times of the seeks logged so far.
    std::vector<double> seekTimesLogged() const
    {
        std::vector<double> times;
        for (const std::string& seek : seeksLogged())
            times.push_back(std::stod(seek.substr(std::string_view("seek to ").size())));
        return times;
    }

    gfx::test::XWindowProbe probe_;
};

TEST_F(PreviewWindowTest, AClickOnTheStripSeeksWithinAFrameOfTheTimeThere)
{
    std::vector<double> latencies;
    for (int click = 0; click < 20; ++click) {
        const int x = click % 2 == 0 ? 700 : 300 + 20 * click;
        input("mousemove " + std::to_string(x) + " " + std::to_string(StripY) + " click 1");
        const auto released = std::chrono::steady_clock::now();
        stepUntil([&] { return std::fabs(demo().time() - timeAtStrip(x)) <= Frame; });
        latencies.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - released).count());
        EXPECT_NEAR(demo().time(), timeAtStrip(x), Frame) << "click " << click << " at x " << x;
        stepUntil([&] { return seekTimesLogged().size() > std::size_t(click); });
        ASSERT_EQ(seekTimesLogged().size(), click + 1u) << "one line a click";
        EXPECT_NEAR(seekTimesLogged().back(), timeAtStrip(x), Frame);
    }
    std::nth_element(latencies.begin(), latencies.begin() + 10, latencies.end());
    std::printf("[ preview  ] from a click's release to its picture presented: median %.0f ms of 20\n",
                latencies[10]);
}

TEST_F(PreviewWindowTest, ADragHoldsThePictureUnderThePointerAndTheReleasePlaysOn)
{
    step(0.5);
    input("mousemove 300 " + std::to_string(StripY) + " mousedown 1");
    stepUntil([&] { return std::fabs(demo().time() - timeAtStrip(300)) <= Frame; });
    step(0.1);
    EXPECT_NEAR(demo().time(), timeAtStrip(300), Frame);
    input("mousemove 500 " + std::to_string(StripY));
    stepUntil([&] { return std::fabs(demo().time() - timeAtStrip(500)) <= Frame; });
    step(0.5);
    EXPECT_NEAR(demo().time(), timeAtStrip(500), Frame) << "the picture follows the pointer";

    input("mouseup 1");
    stepUntil([&] { return !seekTimesLogged().empty(); });
    EXPECT_NEAR(demo().time(), timeAtStrip(500), Frame);
    step(0.25);
    EXPECT_NEAR(demo().time(), timeAtStrip(500) + 0.25, Frame) << "it plays on";
    EXPECT_EQ(seekTimesLogged().size(), 1u);
}

TEST_F(PreviewWindowTest, ZoomedInTheStripShowsTheFirstKicksTallerThanWhatLiesBetween)
{
    input("mousemove 0 " + std::to_string(StripY) + " click --repeat 18 --delay 20 4"); // the wheel, up
    input("key --delay 100 space Next"); // paused at Scene2's start, which the span turns to
    const TimelineView& view = preview_->panel<StripPanel>()->view();
    stepUntil([&] { return demo().paused() && demo().time() > 6.0f && view.to() - view.from() < 5.0f; });
    step(0.0);
    ASSERT_LT(view.to() - view.from(), 5.0f) << "zoomed in";
    // The waveform's light blue, from the strip's bottom up to where its band of scenes ends.
    const std::vector<std::uint8_t> window = shown();
    const auto height = [&](float time) {
        const int x = static_cast<int>(std::lround(view.xOf(time, Width)));
        int lit = 0;
        for (int y = Height - 90; y < Height; ++y)
            lit += window[(std::size_t(y) * Width + x) * 4] > 120 ? 1 : 0;
        return lit;
    };
    // The kicks after the first (under the playhead) and the middle of the beats between them.
    const float bar = barTime(1), beat = bar / 4.0f;
    for (int kick = 1; kick <= 3; ++kick) {
        const float at = 4.0f * bar + static_cast<float>(kick) * beat + 0.005f;
        ASSERT_LT(at + beat / 2.0f, view.to());
        EXPECT_GT(height(at), 1.3 * height(at + beat / 2.0f)) << "kick at " << at << " s";
        EXPECT_GT(height(at), 1.3 * height(at - 0.02f)) << "the kick at " << at << " s starts there";
    }
}

// Byte for byte, the window shows what the off-screen renderer draws at that time.
TEST_F(PreviewWindowTest, HiddenThePanelsLeaveThePlayersFrameAndShownTheyLeaveItsMiddle)
{
    input("key --delay 100 space Next Next Tab"); // paused at Scene3's start, hidden
    stepUntil([&] { return !preview_->panelsShown() && demo().time() > 30.0f; });
    step(0.0);
    ASSERT_FALSE(preview_->panelsShown());
    const std::vector<std::uint8_t> hidden = shown();

    char at[32];
    std::snprintf(at, sizeof at, "%.9g", static_cast<double>(demo().time()));
    ASSERT_EQ(test::runProgram(test::OrbRender + " --data Production --at " + at + " --frames player").status,
              0);
    const test::Picture player = test::readPng("player/frame_000000.png");
    ASSERT_EQ(player.width, Width);
    long differing = 0;
    for (std::size_t pixel = 0; pixel < std::size_t(Width) * Height; ++pixel) {
        for (int c = 0; c < 3; ++c)
            differing += hidden[pixel * 4 + 2 - c] != player.rgb[pixel * 3 + c];
    }
    EXPECT_EQ(differing, 0) << "of the player's frame at " << at << " s";

    input("key Tab");
    stepUntil([&] { return preview_->panelsShown(); });
    step(0.0);
    const std::vector<std::uint8_t> withPanels = shown();
    const auto sameRows = [&](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b,
                              int width, int fromX, int toX, int fromY, int toY) {
        for (int y = fromY; y < toY; ++y) {
            const std::size_t row = std::size_t(y) * width;
            if (!std::equal(&a[(row + fromX) * 4], &a[(row + toX) * 4], &b[(row + fromX) * 4]))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(sameRows(hidden, withPanels, Width, Width / 4, 3 * Width / 4, Height / 4, 3 * Height / 4))
        << "the middle stays clear";
    EXPECT_FALSE(sameRows(hidden, withPanels, Width, 0, Width, Height - 20, Height))
        << "the strip along the bottom";

    constexpr int Smaller = 960, Lower = 540;
    probe_.resize(window(), Smaller, Lower);
    for (int frame = 0; frame < 3; ++frame)
        step(0.0);
    const std::vector<std::uint8_t> smallerWithPanels = shown(Smaller, Lower);
    input("key Tab");
    stepUntil([&] { return !preview_->panelsShown(); });
    step(0.0);
    const std::vector<std::uint8_t> smallerHidden = shown(Smaller, Lower);
    EXPECT_TRUE(
        sameRows(smallerHidden, smallerWithPanels, Smaller, Smaller / 4, 3 * Smaller / 4, 0, Lower - 90))
        << "between the side panels the picture is clear down to the strip";
    EXPECT_FALSE(sameRows(smallerHidden, smallerWithPanels, Smaller, 0, Smaller, Lower - 20, Lower))
        << "the strip follows the window's bottom";
}

} // namespace
} // namespace orb::preview
