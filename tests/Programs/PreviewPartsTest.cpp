// The preview's pieces that need neither a window nor a demo: the strip's view of time, the
// music's waveform and the passes' costs (the tally orb-render shares, and the preview's last second).

#include "PassCosts.h"
#include "Tempo.h"
#include "TestSupport.h"
#include "TimelineView.h"
#include "Waveform.h"

#include <algorithm>

namespace orb::preview {
namespace {

constexpr float DemoLength = 243.474f;
constexpr float StripWidth = 1000.0f;

TEST(TimelineView, ZoomKeepsTheTimeUnderThePointerAndStaysWithinTheDemo)
{
    TimelineView view(DemoLength);
    const float pointed = view.timeAt(250.0f, StripWidth);
    view.zoom(3.0f, 250.0f, StripWidth);
    EXPECT_NEAR(view.timeAt(250.0f, StripWidth), pointed, 1e-3f);
    EXPECT_NEAR(view.to() - view.from(), DemoLength / (1.25f * 1.25f * 1.25f), 1e-3f);

    view.zoom(100.0f, 250.0f, StripWidth);
    EXPECT_NEAR(view.to() - view.from(), 1.0f, 1e-4f) << "never closer than a second";
    EXPECT_NEAR(view.timeAt(250.0f, StripWidth), pointed, 1e-3f);

    view.zoom(-100.0f, 990.0f, StripWidth);
    EXPECT_EQ(view.from(), 0.0f) << "never wider than the demo";
    EXPECT_EQ(view.to(), DemoLength);
    view.zoom(10.0f, StripWidth, StripWidth);
    EXPECT_EQ(view.to(), DemoLength) << "zoomed at the right end, the end stays in view";
    EXPECT_EQ(view.timeAt(StripWidth + 50.0f, StripWidth), DemoLength);
}

TEST(TimelineView, APlayheadLeavingTheSpanTurnsItLikeAPage)
{
    TimelineView view(DemoLength);
    view.zoom(10.0f, 0.0f, StripWidth); // from 0, a little over 26 seconds wide
    const float span = view.to() - view.from();
    view.follow(span * 0.5f);
    EXPECT_EQ(view.from(), 0.0f);
    view.follow(span * 1.5f);
    EXPECT_FLOAT_EQ(view.from(), span);
    view.follow(DemoLength);
    EXPECT_FLOAT_EQ(view.to(), DemoLength) << "the last page ends with the demo";
    view.follow(1.0f); // a seek back
    EXPECT_EQ(view.from(), 0.0f);
}

TEST(Waveform, TheColumnsAtTheFirstKicksAreTallerThanThoseBetweenThem)
{
    const std::string music = test::readFile(std::string(ORB_PRODUCTION_DATA) + "/velmora.mp3");
    const app::Result<Waveform> wave = Waveform::decode(music.data(), music.size());
    ASSERT_TRUE(wave) << wave.failure().message();
    // Bars 5 to 7, four kicks a bar from the first beat (bar 8 ends in a fill of snares), twenty
    // columns a beat.
    constexpr int Beats = 12, ColumnsPerBeat = 20;
    const float bar = barTime(1);
    const std::vector<Waveform::Column> columns = wave->columns(4 * bar, 7 * bar, Beats * ColumnsPerBeat);
    const auto height = [&](int column) { return columns[column].high - columns[column].low; };
    for (int beat = 0; beat < Beats; ++beat) {
        float between = 0.0f; // the middle half of the beat, after the kick's decay
        for (int column = beat * ColumnsPerBeat + 5; column < beat * ColumnsPerBeat + 15; ++column)
            between = std::max(between, height(column));
        EXPECT_GT(height(beat * ColumnsPerBeat), 1.3f * between) << "beat " << beat;
        if (beat > 0) {
            EXPECT_GT(height(beat * ColumnsPerBeat), 1.3f * height(beat * ColumnsPerBeat - 1))
                << "beat " << beat << " starts in its own column";
        }
    }
}

TEST(Waveform, BytesThatAreNoSoundAreRefusedWithTheReason)
{
    const app::Result<Waveform> wave = Waveform::decode("RIFF", 4);
    ASSERT_FALSE(wave);
    EXPECT_EQ(wave.failure().message(), "not MPEG audio");
}

TEST(PassTally, APassIncludesThePassesInsideItAndTheMedianFrameIsTheTotal)
{
    app::PassTally tally(app::PassTally::Nesting::IntoOutermost);
    for (const double compose : {2.0, 3.0, 4.0}) {
        tally.add({{"post: compose", 0.5, 0.1, true},
                   {"post: compose / Compositor.fx pass 0", compose + 0.5, compose, true},
                   {"Scene3.fx pass 0", 9.0, 1.0, compose == 2.0}});
    }
    const std::vector<app::PassTally::Cost> passes = tally.passes();
    ASSERT_EQ(passes.size(), 2u);
    EXPECT_EQ(passes[0].label, "post: compose");
    EXPECT_DOUBLE_EQ(passes[0].glMilliseconds, 3.1) << "the median of three frames";
    EXPECT_DOUBLE_EQ(passes[0].clockMilliseconds, 4.0);
    EXPECT_EQ(passes[1].label, "Scene3.fx pass 0");
    EXPECT_DOUBLE_EQ(passes[1].glMilliseconds, 1.0) << "of the one frame that ran it";
    EXPECT_DOUBLE_EQ(tally.frameTotal().glMilliseconds, 3.1);
}

TEST(PassCosts, OnlyTheLastSecondsFramesCount)
{
    PassCosts costs;
    const PassCosts::Clock::time_point start;
    const auto frame = [&](double seconds, double compose, bool scene) {
        costs.add({{"post: compose", compose, compose, true}, {"Scene3.fx pass 0", 9.0, 1.0, scene}},
                  start + std::chrono::duration_cast<PassCosts::Clock::duration>(
                              std::chrono::duration<double>(seconds)));
    };
    frame(0.0, 2.0, true);
    frame(0.5, 3.0, false);
    frame(0.6, 4.0, false);
    frame(1.55, 6.0, false); // the frames before 0.55 s are over a second old
    const std::vector<app::PassTally::Cost> passes = costs.tally().passes();
    ASSERT_EQ(passes.size(), 1u) << "the scene's pass has not run for a second";
    EXPECT_DOUBLE_EQ(passes[0].glMilliseconds, 4.0) << "the median of 0.6 s and 1.55 s, the lower";
}

} // namespace
} // namespace orb::preview
