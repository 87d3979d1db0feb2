#include "OperatorFixture.h"

#include <algorithm>

namespace orb::test {
namespace {

TEST_F(OperatorTest, ClearTargetClearsToWhiteWithDepthZeroAndSetRenderTargetRebindsTheBackBuffer)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main length="9"><scene id="0" name="s" end="9">
        <layer name="l" end="9"><children>
          <operator name="ClearTarget" id="0" start="0" end="9"/>
          <operator name="SetRenderTarget" id="1" start="0" end="9"/>
        </children></layer></scene></main></demo>)"));
    RenderTarget& text = *demo_->graphicSystem()->renderTarget("Text");
    device().setRenderTarget(0, text.colorSurface());
    device().setDepthStencilSurface(text.depthSurface());
    demo_->scene(0)->process(1.0f, false);
    EXPECT_EQ(device().readPixels(text.colorSurface())[0], 0xFFFFFFFFu)
        << "cleared while the text target was bound";
    EXPECT_EQ(device().renderTarget(0), device().backBuffer());
    EXPECT_EQ(device().depthStencilSurface(), device().autoDepthStencil());

    // Depth 0: nothing drawn at depth 0.5 passes less-or-equal.
    demo_->scene(0)->process(1.0f, false);
    auto black = gfx::test::makeTexture(device(), 1, 1, {0xFF000000});
    device().setTexture(0, black.get());
    gfx::test::drawRectangle(device(), 0, 0, 640, 360, 0.5f);
    EXPECT_EQ(pixel(320, 180), 0xFFFFFFu);
}

TEST_F(OperatorTest, ASoundOperatorWithoutAStreamTriesToStartItOnceAndNoMore)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main length="9"><scene id="0" name="s" end="9">
        <layer name="l" end="9"><children><operator name="Sound" id="0" start="0" end="9">
          <attributes><attribute name="sound" value="0"/></attributes></operator>
        </children></layer></scene></main></demo>)"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid resource id '4294967295'"));
    for (const float t : {1.0f, 2.0f, 3.0f})
        demo_->scene(0)->process(t, false);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ORB_ERROR: invalid stream id '4294967295'"), 1);
}

} // namespace
} // namespace orb::test
