// The preview's transport on its own, over the production's demo off-screen in virtual time: the
// loop's marks and how playing meets its end.

#include "Transport.h"

#include "PreviewFixture.h"
#include "Tempo.h"

namespace orb::preview {
namespace {

const float SceneTwo = barTime(4); // 6.9564 s

Host productionHost(win::Counter& counter)
{
    Host host = Host::offscreen(counter);
    host.dataDirectory = ORB_PRODUCTION_DATA;
    return host;
}

class TransportTest : public test::SteppedDemoTest
{
protected:
    void SetUp() override
    {
        DemoSettings settings;
        settings.width = 64;
        settings.height = 36;
        settings.aspectRatio = 16.0f / 9.0f;
        settings.multisampleType = 0;
        settings.fullscreen = 0;
        settings.loopDemo = 1;
        ASSERT_TRUE(demo_->init(settings));
        ASSERT_EQ(demo_->reloadScript(DemoSystem::ScriptPath), DemoSystem::ScriptReload::Reloaded);
        transport_.demoLoaded();
        step(0.1);
    }

    void step(double seconds)
    {
        advance(*demo_, seconds);
        transport_.playFrame();
    }

    // A loop marked from where a seek to `start` lands to where one to `end` lands.
    std::string markLoop(float start, float end)
    {
        transport_.seekTo(start);
        step(0.0);
        transport_.markLoop();
        transport_.seekTo(end);
        step(0.0);
        return transport_.markLoop();
    }

    std::unique_ptr<DemoSystem> demo_ = std::make_unique<DemoSystem>(productionHost(counter_));
    Transport transport_{*demo_};
};

TEST_F(TransportTest, AMarkedLoopPlaysItsSpanOverAndOver)
{
    markLoop(SceneTwo, SceneTwo + barTime(1));
    ASSERT_TRUE(transport_.loop() && transport_.loop()->end);

    step(1.0); // past the end: the next frame is at the start
    step(0.1);
    EXPECT_FLOAT_EQ(demo_->time(), SceneTwo);
    EXPECT_NEAR(*transport_.musicTime(), demo_->time(), 1.0 / audio::SampleRate);
    step(1.0);
    step(1.0);
    step(0.1);
    EXPECT_FLOAT_EQ(demo_->time(), SceneTwo) << "and again";

    EXPECT_EQ(transport_.markLoop(), "looping the whole demo");
    EXPECT_FALSE(transport_.loop());
    step(1.0);
    step(1.0);
    EXPECT_NEAR(demo_->time(), SceneTwo + 2.0f, 1e-4f);
}

TEST_F(TransportTest, ALoopsEndMarkedBeforeItsStartIsTheSameLoop)
{
    EXPECT_EQ(markLoop(20.0f, 15.0f), "looping 15.00 s to 20.00 s");
    ASSERT_TRUE(transport_.loop() && transport_.loop()->end);
    EXPECT_FLOAT_EQ(transport_.loop()->start, 15.0f);
    EXPECT_FLOAT_EQ(*transport_.loop()->end, 20.0f);
}

TEST_F(TransportTest, TheSameTimeMarkedTwiceIsNoLoop)
{
    EXPECT_EQ(markLoop(15.0f, 15.0f), "the loop's end is where it starts: move on and press L again");
    ASSERT_TRUE(transport_.loop());
    EXPECT_FALSE(transport_.loop()->end);
}

TEST_F(TransportTest, ASeekPastTheLoopsEndPlaysOnFromThere)
{
    markLoop(SceneTwo, SceneTwo + barTime(1));
    transport_.seekTo(50.0f);
    step(0.1);
    step(0.5);
    EXPECT_NEAR(demo_->time(), 50.5f, 1e-4f);
}

} // namespace
} // namespace orb::preview
