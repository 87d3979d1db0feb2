#include "PreviewFixture.h"
#include "Tempo.h"
#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace orb::preview {
namespace {

using test::readFile;
using test::writeFile;

constexpr int Width = 320;
constexpr int Height = 180;
// The clock and up to six lines of messages in the overlay's 16-pixel font.
constexpr int OverlayRows = 120;
const std::string Scene2Output = "colour = vec4((tiles + light) * vignette + c3.rgb, 1.0);";

// The preview off-screen on a copy of the production, in virtual time, keeping the frames it shows.
class PreviewTest : public test::PreviewFixture
{
protected:
    PreviewTest()
    {
        open(Host::offscreen(
                 counter_, [this](const gfx::FramePixels& frame) { keep(frame); },
                 [this](const float* samples, std::size_t frames) {
                     heard_.insert(heard_.end(), samples, samples + frames * audio::Channels);
                 }),
             Width, Height);
    }

    // What the production's music holds from `from` seconds on, `frames` frames of it.
    std::vector<float> music(double from, std::size_t frames) const
    {
        const std::string bytes = readFile("Production/velmora.mp3");
        std::unique_ptr<audio::Mp3Stream> stream = audio::Mp3Stream::open(bytes.data(), bytes.size());
        std::vector<float> samples(frames * audio::Channels);
        if (!stream || !stream->seek(static_cast<std::uint64_t>(std::llround(from * audio::SampleRate))) ||
            stream->read(samples.data(), frames) != frames)
            ADD_FAILURE() << "the music at " << from << " s";
        return samples;
    }

    // What was heard from frame `from` on is a grain of the music from `music` seconds, `frames`
    // long; its fades of 5 ms aside.
    void expectGrainHeard(std::size_t from, double musicFrom, std::size_t frames) const
    {
        constexpr std::size_t Fade = audio::SampleRate / 200;
        ASSERT_GE(heard_.size(), (from + frames) * audio::Channels);
        const auto at = [&](std::size_t frame) {
            return heard_.begin() + static_cast<std::ptrdiff_t>(frame * audio::Channels);
        };
        const std::vector<float> middle(at(from + Fade), at(from + frames - Fade));
        EXPECT_EQ(middle, music(musicFrom + static_cast<double>(Fade) / audio::SampleRate, frames - 2 * Fade))
            << "the grain of " << musicFrom << " s";
        EXPECT_TRUE(std::all_of(at(from + frames), heard_.end(), [](float sample) { return sample == 0.0f; }))
            << "then silence";
    }

    std::vector<float> heard_;

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
    const float bar = barTime(1);
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
    preview_->press(win::KeyL);
    EXPECT_TRUE(showing("loop from 6.96 s: L again at its end"));
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

TEST_F(PreviewTest, EverySeekByKeyWritesOneLineWithItsBarAndScene)
{
    ASSERT_TRUE(preview_->start());
    step(0.1);
    preview_->press(win::KeyPageDown);
    step(0.1);
    preview_->press(win::KeyRight);
    preview_->press(win::KeyRight); // two presses in one frame are one seek
    step(0.1);
    EXPECT_EQ(seeksLogged(), (std::vector<std::string>{"seek to 6.96 s (bar 5, Scene2)",
                                                       "seek to 10.43 s (bar 7, Scene2)"}));
}

TEST_F(PreviewTest, HoldingTheTimelineKeepsTheMusicWaitingAndLettingGoPlaysOnInStep)
{
    ASSERT_TRUE(preview_->start());
    step(0.5);
    preview_->hold(100.0f);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 100.0f);
    preview_->hold(120.0f);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 120.0f) << "the picture follows";
    step(0.5);
    EXPECT_FLOAT_EQ(demo().time(), 120.0f) << "held, the picture stands";
    EXPECT_NEAR(musicTime(), 120.0, 1.0 / audio::SampleRate) << "and the music waits";

    preview_->release(130.0f);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 130.0f);
    expectMusicAtTheClock();
    step(0.25);
    EXPECT_NEAR(demo().time(), 130.25f, 1e-4f) << "let go, it plays on";
    expectMusicAtTheClock();
    EXPECT_EQ(seeksLogged(), std::vector<std::string>{"seek to 130.00 s (bar 75, Scene6)"})
        << "a scrub is one seek, where it is let go";

    preview_->press(win::KeySpace);
    preview_->hold(10.0f);
    step(0.1);
    preview_->release(12.0f);
    step(0.1);
    step(0.5);
    EXPECT_FLOAT_EQ(demo().time(), 12.0f) << "paused before, it stays paused";
    EXPECT_NEAR(musicTime(), 12.0, 1.0 / audio::SampleRate);
}

TEST_F(PreviewTest, PausedAHeldTimelineSoundsAGrainOfTheMusicThereAndAFrameStepSoundsItsBeat)
{
    ASSERT_TRUE(preview_->start());
    preview_->press(win::KeySpace);
    step(0.5);
    preview_->hold(100.0f);
    heard_.clear();
    step(0.1);
    expectGrainHeard(0, 100.0, 3528); // 80 ms
    preview_->release(101.0f);
    step(0.1);

    heard_.clear();
    preview_->press(win::KeyPeriod);
    step(0.5);
    EXPECT_FLOAT_EQ(demo().time(), 101.0f + 1.0f / 60.0f);
    EXPECT_TRUE(demo().paused());
    expectGrainHeard(0, 232 * SecondsPerBeat, 19174); // the 233rd beat, from 100.87 s
    EXPECT_NEAR(musicTime(), demo().time(), 1.0 / audio::SampleRate) << "the music waits at the picture";

    preview_->press(win::KeyComma);
    preview_->press(win::KeyComma);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 101.0f - 1.0f / 60.0f);
    EXPECT_EQ(seeksLogged().back(), "seek to 100.98 s (bar 59, Scene5)");
}

TEST_F(PreviewTest, TheValuesShownAreTheOnesTheEffectsDrewWith)
{
    // Probes: the scene draws the fractions of its `a` as its colour; the compositor shows the
    // scene's picture on the left half and the fractions of its own `d` on the right.
    const std::string scene6Output = "colour = vec4(rockColour * light * light + c3.rgb * c3.w, 1.0);";
    save("Scene6.fx", scene6Output, "colour = vec4(fract(a), 1.0);");
    save("Compositor.fx", "colour = vec4(picture * keep + wash, 1.0);",
         "colour = gl_FragCoord.x < 160.0 ? texelFetch(frame, ivec2(gl_FragCoord.xy), 0)"
         " : vec4(fract(d.xyz), 1.0);");
    ASSERT_TRUE(preview_->start());
    step(0.1);
    preview_->release(131.3f);
    step(0.1);
    step(0.4);

    const auto shown = [this](const std::string& effect, const std::string& name) {
        for (const EffectValues& values : preview_->shownFrame().values) {
            for (const NamedValue& value : values.values) {
                if (values.effect == effect && value.name == name)
                    return value.floats;
            }
        }
        return std::vector<float>{};
    };
    // A pixel's channels, red first, as fractions.
    const auto drawn = [this](int x, int y) {
        const std::uint8_t* bgr = pixel(x, y);
        return std::array<double, 3>{bgr[2] / 255.0, bgr[1] / 255.0, bgr[0] / 255.0};
    };
    const auto expectDrawnWith = [](const std::array<double, 3>& colour, const std::vector<float>& value) {
        ASSERT_GE(value.size(), 3u);
        for (std::size_t channel = 0; channel < 3; ++channel) {
            const double apart = std::fabs(colour[channel] - (value[channel] - std::floor(value[channel])));
            EXPECT_LT(std::min(apart, 1.0 - apart), 0.6 / 255.0)
                << "channel " << channel << " of " << value[channel];
        }
    };
    const std::vector<float> a = shown("Scene6.fx", "a");
    expectDrawnWith(drawn(40, 150), a);
    EXPECT_GT(a[2], 20.0f) << "a moment well into the scene";
    expectDrawnWith(drawn(280, 150), shown("Compositor.fx", "d"));
}

TEST_F(PreviewTest, MusicThatCannotBeDecodedLeavesTheWaveformEmptyAndSaysWhy)
{
    const std::string music = readFile("Production/velmora.mp3");
    writeFile("Production/velmora.mp3", "not a sound");
    ASSERT_TRUE(preview_->start());
    step(0.1);
    EXPECT_TRUE(preview_->waveform().empty());
    EXPECT_TRUE(showing("no waveform of Data\\velmora.mp3: not MPEG audio"));
    preview_->press(win::KeyPageDown);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), 6.9564f) << "the rest works";

    writeFile("Production/velmora.mp3", music);
    step(0.1);
    EXPECT_FALSE(preview_->waveform().empty()) << "made again when the music is saved";
    EXPECT_FALSE(showing("no waveform"));
}

TEST_F(PreviewTest, AScriptWithoutScenesPlaysBlackAndASeekPastItsEndLandsOnTheEnd)
{
    std::string script = readFile("Production/DemoScript.xml");
    const std::size_t first = script.find("<operator name=\"Scene1\"");
    const std::size_t last = script.find('\n', script.find("<operator name=\"Scene10\""));
    ASSERT_LT(first, last);
    writeFile("Production/DemoScript.xml", script.erase(first, last + 1 - first));
    ASSERT_TRUE(preview_->start());
    step(0.1);
    // From the log: the note on the screen lasts 3 s of the wall's time, which a slow start uses up.
    EXPECT_TRUE(logged("ORB_INFO: demo loaded"));
    preview_->release(1000.0f);
    step(0.1);
    EXPECT_FLOAT_EQ(demo().time(), demo().length());
    EXPECT_EQ(seeksLogged(), std::vector<std::string>{"seek to 243.47 s (bar 141)"});
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
