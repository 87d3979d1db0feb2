#include "Preview.h"

#include "Operators/SceneShared.h"
#include "TestSupport.h"
#include "platform/win/MessageQueue.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orb::preview {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

constexpr int Width = 320;
constexpr int Height = 180;
constexpr std::int64_t TicksPerSecond = 1'000'000;
// The clock and up to six lines of messages in the overlay's 16-pixel font.
constexpr int OverlayRows = 120;
const std::string Scene2Output = "colour = vec4((tiles + light) * vignette + c3.rgb, 1.0);";

// The preview off-screen on a copy of the production, in virtual time: each step moves the
// clock and the silent sound output by as much, then shows a frame.
class PreviewTest : public test::LoggedTest
{
protected:
    PreviewTest()
    {
        fs::copy(ORB_PRODUCTION_DATA, "Production", fs::copy_options::recursive);
        Host host = Host::offscreen(counter_, [this](const gfx::FramePixels& frame) { keep(frame); });
        host.dataDirectory = "Production";
        preview_ = std::make_unique<Preview>(host, Width, Height);
    }

    void step(double seconds)
    {
        counter_.advance(std::llround(seconds * TicksPerSecond));
        demo().soundSystem()->pump(static_cast<std::size_t>(std::llround(seconds * audio::SampleRate)));
        preview_->frame();
    }

    DemoSystem& demo() { return preview_->demo(); }

    // Where the music will play from next, in seconds.
    double musicTime()
    {
        const auto frame = demo().soundSystem()->mixer().currentPosition(demo().musicStream());
        return frame ? static_cast<double>(*frame) / audio::SampleRate : -1.0;
    }

    // The music is where the clock is, to the sample.
    void expectMusicAtTheClock()
    {
        EXPECT_NEAR(musicTime(), demo().time(), 1.0 / audio::SampleRate) << "at " << demo().time();
    }

    // The file `name` of the production as it is saved, with `from` replaced by `to`.
    void save(const std::string& name, const std::string& from, const std::string& to)
    {
        std::string text = readFile("Production/" + name);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        writeFile("Production/" + name, text);
    }

    bool showing(const std::string& text) const
    {
        const std::vector<std::string> messages = preview_->messages();
        return std::any_of(messages.begin(), messages.end(), [&](const std::string& message) {
            return message.find(text) != std::string::npos;
        });
    }

    // The last frame's pixel: bytes B, G, R, A.
    const std::uint8_t* pixel(int x, int y) const { return &lastFrame_[(std::size_t(y) * Width + x) * 4]; }

    // The last frame below the overlay's text is as `earlier` was.
    bool sameBelowTheOverlay(const std::vector<std::uint8_t>& earlier) const
    {
        const std::size_t below = std::size_t(OverlayRows) * Width * 4;
        return earlier.size() == lastFrame_.size() &&
               std::equal(earlier.begin() + below, earlier.end(), lastFrame_.begin() + below);
    }

    win::SteppedCounter counter_{TicksPerSecond};
    std::unique_ptr<Preview> preview_;
    std::vector<std::uint8_t> lastFrame_;

private:
    void keep(const gfx::FramePixels& frame)
    {
        lastFrame_.assign(frame.pixels(), frame.pixels() + std::size_t(frame.width) * frame.height * 4);
    }
};

TEST_F(PreviewTest, SeeksAndPausesMoveTheClockAndTheMusicTogether)
{
    ASSERT_TRUE(preview_->start());
    const float bar = 240.0f / BeatsPerMinute;
    step(0.5);
    EXPECT_FLOAT_EQ(demo().time(), 0.0f);
    preview_->press(win::KeyRight);
    preview_->press(win::KeyRight);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 2 * bar);
    expectMusicAtTheClock();

    preview_->press(win::KeyPageDown); // Scene2 starts at bar 5
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 6.9564f);
    EXPECT_EQ(preview_->statusLine(), "6.96 s   bar 5   beat 1   Scene2");
    expectMusicAtTheClock();
    preview_->press(win::KeyPageDown);
    preview_->press(win::KeyPageUp); // back where the first press went
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 6.9564f);

    preview_->press(win::KeySpace);
    step(1.0);
    const float paused = demo().time();
    EXPECT_FLOAT_EQ(paused, 6.9564f);
    step(2.0);
    EXPECT_FLOAT_EQ(demo().time(), paused) << "the picture stands";
    expectMusicAtTheClock();
    preview_->press(win::KeyLeft);
    step(1.0);
    EXPECT_FLOAT_EQ(demo().time(), paused - bar) << "a paused demo still seeks";
    expectMusicAtTheClock();

    preview_->press(win::KeySpace);
    step(0.25);
    step(0.25);
    EXPECT_NEAR(demo().time(), paused - bar + 0.5f, 1e-5f);
    expectMusicAtTheClock();

    preview_->press(win::KeyHome);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 0.0f);
    expectMusicAtTheClock();
    preview_->press(win::KeyLeft);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 0.0f) << "never before the start";
}

TEST_F(PreviewTest, AnEffectSavedOnDiskIsDrawnAtTheNextFrame)
{
    ASSERT_TRUE(preview_->start());
    preview_->press(win::KeySpace);
    for (int bar = 0; bar < 10; ++bar) // into Scene2
        preview_->press(win::KeyRight);
    step(0.1);
    // Under the logo's left end, where the pass's own picture shows: dark tiles at 17.39 s.
    const auto floor = [this] { return pixel(30, 150); };
    ASSERT_LT(floor()[0], 100) << "not blue before the edit";

    save("Scene2.fx", Scene2Output, "colour = vec4(0.0, 0.0, 1.0, 1.0);");
    step(0.1);
    EXPECT_GT(floor()[0], 200);
    EXPECT_LT(floor()[1] + floor()[2], 60);
    EXPECT_TRUE(showing("Data\\Scene2.fx reloaded"));
    EXPECT_TRUE(logged("ORB_INFO: Data\\Scene2.fx reloaded"));
}

TEST_F(PreviewTest, ABrokenEffectKeepsTheOldOneAndShowsTheLineAtFault)
{
    ASSERT_TRUE(preview_->start());
    preview_->press(win::KeySpace);
    for (int bar = 0; bar < 10; ++bar)
        preview_->press(win::KeyRight);
    step(0.1);
    const std::vector<std::uint8_t> before = lastFrame_;
    const std::string original = readFile("Production/Scene2.fx");
    const std::size_t line =
        std::count(original.begin(), original.begin() + original.find(Scene2Output), '\n') + 1;

    save("Scene2.fx", Scene2Output, "colour = vec4(;");
    step(0.1);
    EXPECT_TRUE(sameBelowTheOverlay(before)) << "the old effect draws the same picture";
    EXPECT_TRUE(showing("CreateEffect failed for Data\\Scene2.fx"));
    EXPECT_TRUE(showing("0:" + std::to_string(line) + "(")) << "line " << line << " is named";
    EXPECT_TRUE(logged("ORB_ERROR: CreateEffect failed for Data\\Scene2.fx"));

    writeFile("Production/Scene2.fx", original);
    step(0.1);
    EXPECT_FALSE(showing("CreateEffect failed")) << "the error goes once the file compiles";
    EXPECT_TRUE(sameBelowTheOverlay(before));
}

TEST_F(PreviewTest, ADemoThatCannotLoadWaitsWithItsErrorsShownForTheNextSave)
{
    const std::string original = readFile("Production/Scene2.fx");
    save("Scene2.fx", Scene2Output, "colour = vec4(;");
    ASSERT_TRUE(preview_->start());
    step(0.1);
    EXPECT_TRUE(showing("CreateEffect failed for Data\\Scene2.fx"));
    EXPECT_TRUE(showing("Failed to initialize operator Scene2"));
    EXPECT_EQ(pixel(Width / 2, Height - 1)[2], 0) << "a black frame under the errors";

    writeFile("Production/Scene2.fx", original);
    step(0.1);
    EXPECT_FALSE(showing("CreateEffect failed"));
    EXPECT_TRUE(showing("demo loaded"));
    preview_->press(win::KeyPageDown);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 6.9564f);
    EXPECT_GT(pixel(Width / 2, Height / 2)[2], 100) << "Scene2 draws";
}

TEST_F(PreviewTest, AScriptSavedOnDiskReloadsTheDemoAtTheSameTime)
{
    ASSERT_TRUE(preview_->start());
    step(0.1);
    preview_->press(win::KeyPageDown);
    preview_->press(win::KeyPageDown); // Scene3, 34.782 s
    step(0.1);
    step(0.5);
    const float before = demo().time();
    EXPECT_NEAR(before, 35.282f, 1e-4f);

    save("DemoScript.xml", R"(<operator name="Scene3" id="2")", R"(<operator name="Scene8" id="2")");
    step(0.5);
    EXPECT_NEAR(demo().time(), before, 1e-4f) << "the reload keeps the time";
    EXPECT_NE(preview_->statusLine().find("bar 21   beat 2   Scene8"), std::string::npos)
        << preview_->statusLine();
    step(0.5);
    EXPECT_NEAR(demo().time(), before + 0.5f, 1e-4f);
    expectMusicAtTheClock();
    EXPECT_NE(demo().scene(0), nullptr);
    EXPECT_TRUE(logged("ORB_INFO: DemoSystem Reload Done"));

    save("DemoScript.xml", "</main>", "</mian>");
    step(0.5);
    EXPECT_NEAR(demo().time(), before + 1.0f, 1e-4f)
        << "a script that does not parse leaves the demo playing";
    EXPECT_TRUE(showing("while parsing 'Data\\DemoScript.xml'"));

    save("DemoScript.xml", "</mian>", "</main>");
    step(0.5);
    EXPECT_FALSE(showing("while parsing")) << "the mended script is read afresh";
    EXPECT_NEAR(demo().time(), before + 1.0f, 1e-4f);
}

} // namespace
} // namespace orb::preview
