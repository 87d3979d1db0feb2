#include "OperatorFixture.h"
#include "Operators/Scene4Operator.h"

#include <numeric>

namespace orb::test {
namespace {

class Scene4Test : public ShaderSceneFixture
{
protected:
    Scene4Test() { startScene("Scene4"); }
};

TEST(Scene4Sprite, HasFortySixCubesTwoInEachOfTheTopRowsAndAFullMiddleRow)
{
    const auto& cells = Scene4Operator::sprite();
    EXPECT_EQ(std::accumulate(cells.begin(), cells.end(), 0), 46);
    const auto row = [&cells](int r) {
        return std::accumulate(cells.begin() + r * 11, cells.begin() + r * 11 + 11, 0);
    };
    EXPECT_EQ(row(0), 2);
    EXPECT_EQ(row(1), 2);
    EXPECT_EQ(row(4), 11);
}

TEST(Scene4Sprite, StartsFortyUnitsLeftAndCrossesTheMiddleAtTwoThirdsOfBarSeven)
{
    fx::MatrixStack stack;
    const fx::Matrix start = Scene4Operator::cellWorld(stack, 0.0f, 5, 3);
    EXPECT_NEAR(start.m[3][0], -40.0f, 1e-4f);
    EXPECT_NEAR(start.m[3][2], 20.0f, 1e-4f);
    EXPECT_NEAR(Scene4Operator::cellWorld(stack, 20.0f / 3.0f, 5, 3).m[3][0], 0.0f, 1e-3f);
    EXPECT_NEAR(Scene4Operator::cellWorld(stack, 10.0f, 5, 3).m[3][0], 24.0f, 1e-3f)
        << "60 - 40 + the drop of 4";
    // Cell (6, 3) lies one unit from the centre, whichever way the body has turned.
    const fx::Matrix beside = Scene4Operator::cellWorld(stack, 3.3f, 6, 3);
    const fx::Matrix centre = Scene4Operator::cellWorld(stack, 3.3f, 5, 3);
    EXPECT_NEAR(std::hypot(beside.m[3][0] - centre.m[3][0], beside.m[3][1] - centre.m[3][1],
                           beside.m[3][2] - centre.m[3][2]),
                1.0f, 1e-4f);
}

TEST_F(Scene4Test, FadesInFromWhiteOverFourBarsAndWashesOutAfterFifteen)
{
    EXPECT_EQ(drawnAt(0.0f, "c3"), (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_NEAR(drawnAt(2.0f, "c3")[3], 0.25f, 1e-5f);
    EXPECT_EQ(drawnAt(8.0f, "c3"), (std::array<float, 4>{}));
    const PostProcessParams late = scene_->look(atBars(16.0f));
    EXPECT_NEAR(late.compositorD[2], 1.0f, 1e-5f);
    EXPECT_NEAR(late.compositorD[3], 0.03f, 1e-6f);
    EXPECT_NEAR(scene_->look(atBars(0.0f)).compositorD[3], 0.12f, 1e-6f);
    EXPECT_NEAR(drawnAt(8.0f, "f")[1], 0.65f, 1e-5f);
    EXPECT_EQ(drawnAt(1.0f, "c2"), (std::array<float, 4>{0.4980392f, 0.4980392f, 0.4980392f, 0.0f}));
}

// An effect that paints the background black and the cubes red.
class Scene4Frames : public ShaderSceneFixture
{
protected:
    Scene4Frames()
    {
        writeFile("Data/Scene4.fx", R"(@common
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
@pass 0
@fragment
out vec4 colour;
void main() { colour = vec4(0.0, 0.0, 0.0, 1.0); }
@pass 1
@state ZEnable = true
@vertex
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0) * world * view * projection; }
@fragment
out vec4 colour;
void main() { colour = vec4(1.0, 0.0, 0.0, 1.0); }
)");
        startScene("Scene4");
    }
};

TEST_F(Scene4Frames, TheSpriteSwimsFromLeftOfTheMiddleToRightOfIt)
{
    const auto middleOfRed = [this](float bars) {
        const std::vector<gfx::Color> frame = frameAt(bars);
        long count = 0, sum = 0;
        for (std::size_t i = 0; i < frame.size(); ++i)
            if (red(frame[i]) > 128 && green(frame[i]) < 100) {
                ++count;
                sum += static_cast<long>(i % 640);
            }
        EXPECT_GT(count, 500) << bars;
        return count > 0 ? sum / count : -1;
    };
    EXPECT_LT(middleOfRed(5.0f), 260);
    EXPECT_GT(middleOfRed(8.0f), 380);
}

} // namespace
} // namespace orb::test
