#include "OperatorFixture.h"
#include "Operators/Scene7Operator.h"

#include <cctype>

namespace orb::test {
namespace {

class Scene7Test : public ShaderSceneFixture
{
protected:
    Scene7Test()
    {
        makeFonts();
        startScene("Scene7");
    }

    const TextPager& pager() const { return static_cast<const Scene7Operator&>(*scene_).pager(); }

    std::vector<gfx::Color> textTarget()
    {
        return device().readPixels(demo_->graphicSystem()->renderTarget("Text")->colorSurface());
    }

    // The text target's rows, top first, that hold lit pixels.
    std::vector<int> litRows()
    {
        const std::vector<gfx::Color> pixels = textTarget();
        std::vector<int> rows;
        for (int y = 0; y < 1024; ++y) {
            for (int x = 0; x < 1024; ++x) {
                if ((pixels[std::size_t(y) * 1024 + x] & 0xFF) > 128) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }
};

TEST(Scene7Greetings, AreFifteenNamesInCapitalsOneABarTheFourteenthOnTwoLinesInWindows1252)
{
    const std::vector<TextPage>& pages = Scene7Operator::pages();
    ASSERT_EQ(pages.size(), 15u);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_NEAR(pages[i].end, 1.7391f * static_cast<float>(i + 1), 1e-4f) << i;
        for (const char c : pages[i].text)
            EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << pages[i].text;
        EXPECT_EQ(pages[i].text.find('\n') != std::string::npos, i == 13) << pages[i].text;
    }
    // Ø, Å and Æ as the Windows-1252 bytes D8, C5 and C6, not UTF-8.
    const std::string& fourteenth = pages[13].text;
    for (const char letter : {'\xD8', '\xC5', '\xC6'})
        EXPECT_NE(fourteenth.find(letter), std::string::npos);
    EXPECT_EQ(fourteenth.find('\xC3'), std::string::npos) << "no UTF-8 lead byte";
}

TEST_F(Scene7Test, TheValuesAlternateFromOneNameToTheNext)
{
    for (float bars = 3.5f; bars < 7.0f; bars += 1.0f) {
        const float height = drawnAt(bars, "a")[1];
        const bool odd = (pager().redrawCount() & 1) != 0;
        EXPECT_EQ(height, odd ? 0.5f : -0.2f) << bars;
        EXPECT_EQ(drawnAt(bars, "b")[0] > 0.0f, odd) << bars;
    }
    EXPECT_NE(drawnAt(8.5f, "a")[1], drawnAt(9.5f, "a")[1]);
}

TEST_F(Scene7Test, EachBarDrawsItsNameAndTheFourteenthOnTwoCentredLines)
{
    // Names are drawn in the first frame of their bar: each bar is entered from the end of the
    // one before.
    drawnAt(2.9f, "a");
    drawnAt(3.1f, "a"); // the fourth name
    const std::vector<gfx::Color> fourth = textTarget();
    const std::vector<int> fourthRows = litRows();
    drawnAt(3.9f, "a");
    drawnAt(4.1f, "a");
    EXPECT_NE(litTextPixels(), 0);
    EXPECT_NE(textTarget(), fourth) << "the name changed with the bar";
    ASSERT_FALSE(fourthRows.empty());
    EXPECT_NEAR((fourthRows.front() + fourthRows.back()) / 2.0, 512.0, 8.0) << "one line, centred";

    drawnAt(12.9f, "a");
    drawnAt(13.2f, "a"); // the fourteenth name: two lines with a gap between them
    const std::vector<int> rows = litRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR((rows.front() + rows.back()) / 2.0, 512.0, 12.0);
    bool gap = false;
    for (std::size_t i = 1; i < rows.size(); ++i)
        gap = gap || rows[i] - rows[i - 1] > 4;
    EXPECT_TRUE(gap);
    EXPECT_GT(rows.back() - rows.front(), 150) << "two 96-pixel lines";
}

// Loading draws a frame of a scene, unseen, and every page once the fonts exist: the names on
// screen must still change, and alternate, as if that had not happened.
TEST_F(Scene7Test, LoadingAnotherGreetingsSceneLeavesTheNamesOnScreenAsTheyWere)
{
    drawnAt(2.9f, "a");
    drawnAt(3.1f, "a"); // the fourth name
    const int redraws = pager().redrawCount();
    {
        Scene7Operator loadedLater(*demo_->scene(0), IdTable<IOperator>::AnyId);
        ASSERT_TRUE(loadedLater.init());
        static_cast<IOperator&>(loadedLater).prepareText();
        EXPECT_EQ(litTextPixels(), 0) << "no prepared name is left to be seen after a seek";
    }
    EXPECT_EQ(pager().redrawCount(), redraws);
    drawnAt(3.2f, "a");
    EXPECT_EQ(pager().redrawCount(), redraws) << "the same name: not drawn again";
    drawnAt(4.1f, "a");
    EXPECT_EQ(pager().redrawCount(), redraws + 1);
}

TEST_F(Scene7Test, AfterTheLastNameTheHazeDriftsAwayAndTheGlowGrows)
{
    EXPECT_EQ(drawnAt(14.5f, "a")[2], -1.5f);
    EXPECT_NEAR(drawnAt(15.5f, "a")[2], -1.5f - (15.5f * 240.0f / 138.0f - 26.0865f) * 1.3f, 1e-3f);
    EXPECT_EQ(scene_->look(atBars(8.0f)).compositorC, (std::array<float, 4>{1, 0, 0, 0}));
    EXPECT_LT(scene_->look(atBars(8.0f)).compositorD[3], 0.0021f);
    EXPECT_GT(scene_->look(atBars(15.9f)).compositorD[3], 0.0f);
}

} // namespace
} // namespace orb::test
