#include "OperatorFixture.h"
#include "Operators/Scene5Operator.h"

#include <algorithm>

namespace orb {

struct GraphicSystemTestAccess
{
    static void removeRenderTarget(GraphicSystem& graphics, const std::string& name)
    {
        graphics.renderTargets_.erase(name);
    }
};

namespace test {
namespace {

class Scene5Test : public ShaderSceneFixture
{
protected:
    Scene5Test()
    {
        makeFonts();
        startScene("Scene5");
    }
};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result(1);
    for (const char c : text) {
        if (c == '\n')
            result.emplace_back();
        else
            result.back() += c;
    }
    return result;
}

TEST(Scene5Pages, FollowTheirLineStructuresEveryFourBars)
{
    const std::vector<TextPage>& pages = Scene5Operator::pages();
    ASSERT_EQ(pages.size(), 4u);
    // Lines, counting the empty one after a final break, and which of them are empty.
    const std::vector<std::vector<int>> empty = {{2}, {1, 9}, {1}, {1, 5, 7}};
    const std::vector<std::size_t> count = {6, 10, 9, 8};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_NEAR(pages[i].end, 6.9564f * static_cast<float>(i + 1), 1e-4f);
        EXPECT_LT(pages[i].text.size(), 499u);
        const std::vector<std::string> split = lines(pages[i].text);
        ASSERT_EQ(split.size(), count[i]) << i;
        for (std::size_t line = 0; line < split.size(); ++line) {
            const bool shouldBeEmpty = std::find(empty[i].begin(), empty[i].end(), line) != empty[i].end();
            EXPECT_EQ(split[line].empty(), shouldBeEmpty) << "page " << i + 1 << " line " << line;
        }
    }
}

TEST_F(Scene5Test, APageFadesInOverItsFirstSecondAndOutOverItsLast)
{
    EXPECT_EQ(Scene5Operator::pageLevel(0.0f), 0);
    EXPECT_EQ(Scene5Operator::pageLevel(0.5f), 128);
    EXPECT_EQ(Scene5Operator::pageLevel(1.0f), 255);
    EXPECT_EQ(Scene5Operator::pageLevel(5.9f), 255);
    EXPECT_LE(Scene5Operator::pageLevel(6.95f), 3);
}

TEST_F(Scene5Test, TheFirstBarFadesInFromWhiteAndTheLastWashesOut)
{
    EXPECT_EQ(drawnAt(0.0f, "c3"), (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_NEAR(drawnAt(0.5f, "c3")[3], 0.25f, 1e-5f);
    EXPECT_EQ(drawnAt(8.0f, "c3"), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_NEAR(drawnAt(15.25f, "c3")[0], 0.5f, 1e-4f);
    EXPECT_EQ(drawnAt(15.25f, "c3")[3], 0.0f);
    const PostProcessParams opening = scene_->look(atBars(0.0f));
    EXPECT_EQ(opening.compositorD[2], 1.0f);
    EXPECT_NEAR(opening.compositorD[3], 0.03f, 1e-7f);
    EXPECT_NEAR(drawnAt(15.5f, "f")[1], 0.3f + 15.5f * 0.2f / 16.0f * 12.0f, 1e-4f)
        << "the pulse stops at 1.2";
}

TEST_F(Scene5Test, ThePageSitsRightOfAndAboveTheMiddle)
{
    demo_->scene(0)->process(6.9f, false);
    demo_->scene(0)->process(0.1f, false); // the first page, drawn as its period begins
    demo_->scene(0)->process(1.5f, false); // and shown at full strength
    // The text is the only white in the picture: its centre, in pixels of 640 x 360.
    const std::vector<gfx::Color> frame = device().readPixels(device().backBuffer());
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < 360; ++y) {
        for (int x = 0; x < 640; ++x) {
            const gfx::Color c = frame[std::size_t(y) * 640 + x];
            if (std::min({red(c), green(c), blue(c)}) >= 200) {
                sumX += x;
                sumY += y;
                ++count;
            }
        }
    }
    ASSERT_GT(count, 1000) << "the page is seen";
    EXPECT_GT(sumX / count, 360.0) << "right of the middle";
    EXPECT_LT(sumY / count, 175.0) << "above it";
}

// The quad shows rows 224 to 800 of the text target on 16:9: every page's letters lie within them.
TEST_F(Scene5Test, EveryPageLiesInTheBandTheTextQuadShows)
{
    for (int page = 0; page < 4; ++page) {
        frameAt(4.0f * static_cast<float>(page) - 0.1f);
        frameAt(4.0f * static_cast<float>(page) + 0.1f); // drawn as its period begins
        const std::vector<gfx::Color> text =
            device().readPixels(demo_->graphicSystem()->renderTarget("Text")->colorSurface());
        int top = 1024, bottom = -1;
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x)
                if ((text[std::size_t(y) * 1024 + x] & 0xFF) != 0) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        EXPECT_GE(top, 224) << "page " << page + 1;
        EXPECT_LT(bottom, 800) << "page " << page + 1;
    }
}

// At a page's first frame the page adds nothing (k = 0), so the frame is the same whether the
// text quad runs or, without the "Text" target, does not; the frame over it must not depend on it.
TEST_F(Scene5Test, TheFrameOverThePictureStaysInPlaceWithoutTheTextTarget)
{
    const std::vector<gfx::Color> withText = frameAt(4.0f);
    GraphicSystemTestAccess::removeRenderTarget(*demo_->graphicSystem(), "Text");
    EXPECT_EQ(frameAt(4.0f), withText);
}

// A reload in the first second of a page draws that page again, as a fresh demo started there
// does: the pager starts afresh with the operator.
TEST_F(Scene5Test, AScriptReloadedInsideAPageDrawsThatPageAgain)
{
    const auto textTarget = [this] {
        return device().readPixels(demo_->graphicSystem()->renderTarget("Text")->colorSurface());
    };
    frameAt(3.9f);
    frameAt(4.2f); // the second page, drawn as its period begins
    const std::vector<gfx::Color> page = textTarget();
    ASSERT_GT(litTextPixels(), 1000);
    ASSERT_EQ(demo_->reloadScript("Data\\DemoScript.xml"), DemoSystem::ScriptReload::Reloaded);
    frameAt(4.3f);
    EXPECT_EQ(textTarget(), page);
}

} // namespace
} // namespace test
} // namespace orb
