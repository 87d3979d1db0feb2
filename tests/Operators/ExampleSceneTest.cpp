// The example scene of docs/adding-a-scene.md, as the page gives it: registered by a script of
// its own, loaded with the page's effect and drawn.

#include "OperatorFixture.h"
#include "Operators/ExampleSceneOperator.h"
#include "Tempo.h"

#include <filesystem>

namespace orb::test {
namespace {

constexpr int Bars = 4;

class ExampleSceneTest : public OperatorTest
{
protected:
    ExampleSceneTest()
    {
        addOperatorType<ExampleSceneOperator>("ExampleScene", "Screen");
        std::filesystem::copy_file(ORB_SCENE_EXAMPLE "/ExampleScene.fx", "Data/ExampleScene.fx");
        // The landmark at half brightness, so that the pulse has room to brighten it.
        writeFile("Data/tevro_example.png", png(16, 9, [](int x, int y) {
                      if (y < 3)
                          return gfx::Color{x < 8 ? 0xFF800000u : 0xFF008000u};
                      return gfx::Color{x < 8 ? 0xFF000080u : 0xFF808080u};
                  }));
        const std::string end = std::to_string(barTime(Bars));
        EXPECT_TRUE(loadDemo(R"(<demo><init><resources/></init><main length=")" + end +
                             R"("><scene id="0" name="s" end=")" + end + R"("><layer name="l" end=")" + end +
                             R"("><children><operator name="ExampleScene" id="0" start="0" end=")" + end +
                             R"("/></children></layer></scene></main></demo>)"));
        std::uint32_t cursor = 0;
        scene_ = dynamic_cast<ExampleSceneOperator*>(demo_->operatorManager()->nextOperator(cursor));
    }

    // The time of `beats` beats into the scene, a millisecond late: exactly on a beat, single
    // precision may put the moment just before it.
    static float beatTime(float beats) { return static_cast<float>(beats * 60.0 / BeatsPerMinute + 0.001); }

    ExampleSceneOperator* scene_ = nullptr;
};

TEST_F(ExampleSceneTest, PulsesOnTheBeatAndWashesOutInItsLastBar)
{
    ASSERT_NE(scene_, nullptr);
    const float end = barTime(Bars);
    EXPECT_NEAR(scene_->pulse(at(beatTime(4), 0, end)), 1.0f, 1e-2f);
    EXPECT_NEAR(scene_->pulse(at(beatTime(4.5f), 0, end)), 0.25f, 1e-2f);
    EXPECT_EQ(scene_->look(at(barTime(1), 0, end)).compositorD[2], 0.0f);
    EXPECT_NEAR(scene_->look(at(barTime(Bars - 0.5), 0, end)).compositorD[2], 0.5f, 1e-3f);
}

TEST_F(ExampleSceneTest, DrawsThePictureTheRightWayUpBrighterOnTheBeat)
{
    ASSERT_NE(scene_, nullptr);
    // The picture fills the 16:9 screen; its quarters are the landmark's.
    demo_->scene(0)->process(beatTime(4.5f), false);
    const gfx::Color between = pixel(20, 340);
    EXPECT_EQ(landmarkAt(pixel(20, 20)), 'r');
    EXPECT_EQ(landmarkAt(pixel(620, 20)), 'g');
    EXPECT_EQ(landmarkAt(between), 'b');
    EXPECT_EQ(landmarkAt(pixel(620, 340)), 'w');
    demo_->scene(0)->process(beatTime(4), false);
    EXPECT_GT(blue(pixel(20, 340)), blue(between) + 10) << "the beat's pulse brightens the picture";
}

} // namespace
} // namespace orb::test
