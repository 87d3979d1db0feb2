#include "OperatorFixture.h"
#include "Operators/Scene3Operator.h"

namespace orb::test {
namespace {

using Camera = Scene3Operator::Camera;

FrameTime atSceneBars(float bars)
{
    return at(bars * 4.0f * 60.0f / 138.0f, 0.0f, 27.8256f);
}

TEST(Scene3Particles, AreDrawnFromTheSeededGeneratorInTheirOrder)
{
    const std::vector<Scene3Operator::Particle> particles = Scene3Operator::particles();
    ASSERT_EQ(particles.size(), 5000u);
    const Scene3Operator::Particle& first = particles.front();
    EXPECT_EQ(first.start, (std::array<float, 3>{0.359111309f, -0.495956302f, -0.751701415f}));
    EXPECT_EQ(first.spin, (std::array<float, 3>{0.214087367f, -0.199133277f, 0.054902792f}));
    EXPECT_EQ(first.velocity, (std::array<float, 3>{1.13412881f, 19.227272f, 1.34910131f}));
    EXPECT_EQ(first.birth, -35.0f);
    const Scene3Operator::Particle& last = particles.back();
    EXPECT_EQ(last.start, (std::array<float, 3>{0.212622404f, -0.491927862f, -0.536668003f}));
    EXPECT_EQ(last.spin, (std::array<float, 3>{-0.731681228f, -0.971861959f, 0.456953645f}));
    EXPECT_EQ(last.velocity, (std::array<float, 3>{1.47654653f, 19.2382584f, 1.69396043f}));
    EXPECT_FLOAT_EQ(last.birth, 14.99f);
    EXPECT_EQ(Scene3Operator::particles()[2500].start, particles[2500].start) << "the same every frame";
}

TEST(Scene3Particles, VanishOneEveryHundredthOfASecondInTheLastFifteenSeconds)
{
    const std::vector<Scene3Operator::Particle> particles = Scene3Operator::particles();
    const auto shown = [&particles](float remaining) {
        return std::count_if(particles.begin(), particles.end(),
                             [remaining](const auto& p) { return Scene3Operator::shown(p, remaining); });
    };
    const float latest = particles.back().birth; // 14.99 as a float has it
    EXPECT_EQ(shown(20.0f), 5000);
    EXPECT_EQ(shown(latest), 5000);
    EXPECT_EQ(shown(std::nextafter(latest, 0.0f)), 4999);
    EXPECT_EQ(shown(latest - 0.01f), 4999);
    EXPECT_EQ(shown(latest - 0.015f), 4998);
    EXPECT_EQ(shown(0.0f), 3501) << "particles 0 to 3500 stay to the end";
}

TEST(Scene3Camera, StartsAtItsPulsedDistanceAndDipsOnTheSecondBeatOfEachPhrase)
{
    EXPECT_NEAR(Scene3Operator::camera(atSceneBars(0.0f)).distance, 27.046875f, 1e-5f);
    // Beat 2 of the phrase (m8 = 2): (2 - 1.5) x 7 + 20, plus the pulse (sin(4 pi B + 3 pi / 4))^12.
    const double pulse = 3.0 * std::pow(std::sin(4.0 * 3.1415927 * 4.5 + 2.3561945), 12);
    EXPECT_NEAR(Scene3Operator::camera(atSceneBars(4.5f)).distance, 23.5 + pulse, 1e-4);
    EXPECT_EQ(Scene3Operator::camera(atSceneBars(4.5f)).pitch, 0.0f) << "no pitch before bar 8";
    EXPECT_NEAR(Scene3Operator::camera(atSceneBars(13.0f)).distance, 27.0f - 6.7f, 1e-4f);
}

TEST(Scene3Camera, PitchesUpAfterEightDownAfterTenHoldsDownAfterTwelveAndTiltsOnAfterFourteen)
{
    const auto pitch = [](float bars) { return Scene3Operator::camera(atSceneBars(bars)).pitch; };
    EXPECT_NEAR(pitch(8.5f), std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(pitch(10.5f), -std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(pitch(12.5f), -std::sqrt(0.5f), 1e-5f);
    EXPECT_EQ(pitch(12.75f), -1.0f);
    EXPECT_EQ(pitch(13.0f), -1.0f) << "m8 = 4 lies past the swing";
    EXPECT_EQ(pitch(12.25f), 0.0f) << "before the swing the pitch keeps its value";
    EXPECT_EQ(pitch(14.5f), -1.125f);
}

TEST(Scene3Camera, RisesAfterBarEightAndJittersInTheLastBeatOfFourBars)
{
    const Camera early = Scene3Operator::camera(atSceneBars(7.5f));
    EXPECT_EQ(early.lift, 0.0f);
    const FrameTime late = atSceneBars(9.0f);
    const float rem = late.end - late.received;
    EXPECT_NEAR(Scene3Operator::camera(late).lift, -((rem * 10.0f + 15.0f) - rem * 0.8f * rem), 1e-4f);
    EXPECT_EQ(Scene3Operator::camera(atSceneBars(3.6f)).jitterX, 0.0f) << "beat 14.4";
    EXPECT_NE(Scene3Operator::camera(atSceneBars(3.9f)).jitterX, 0.0f) << "beat 15.6";
}

TEST(Scene3Look, WashesInOverTheFirstBarAndOutAfterTheFifteenth)
{
    EXPECT_EQ(Scene3Operator::look(atSceneBars(0.0f)).compositorD[2], 1.0f);
    EXPECT_EQ(Scene3Operator::look(atSceneBars(1.01f)).compositorD[2], 0.0f);
    EXPECT_NEAR(Scene3Operator::look(atSceneBars(0.75f)).compositorD[2], 0.5f, 1e-4f);
    EXPECT_NEAR(Scene3Operator::look(atSceneBars(15.5f)).compositorD[2], 0.25f, 1e-5f);
    EXPECT_GT(Scene3Operator::look(atSceneBars(4.4f)).compositorD[3], 0.0f) << "beat 1.6 of the phrase";
    EXPECT_EQ(Scene3Operator::look(atSceneBars(4.7f)).compositorD[3], 0.0f);
}

// An effect that paints every surface in the given colour, by default its diffuse one: the trophy
// orange, the pedestal and floor grey, the cubes from orange to grey.
std::string flatEffect(const std::string& colour = "vec4(diffuse.rgb, 1.0)")
{
    return R"(@common
uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform vec4 diffuse;
@pass 0
@state ZEnable = true
@vertex
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0) * world * view * projection; }
@fragment
out vec4 colour;
void main() { colour = )" +
           colour + R"(; }
)";
}

class Scene3Frames : public ShaderSceneFixture
{
protected:
    explicit Scene3Frames(const std::string& effect = flatEffect())
    {
        std::filesystem::copy_file(std::filesystem::path(ORB_PRODUCTION_DATA) / "tevro_pokal.x",
                                   "Data/tevro_pokal.x");
        writeFile("Data/Scene3.fx", effect);
        scene_ = startOperator("Scene3");
    }

    // The scene as drawn at bar position `bars`, before its glow spreads a pixel's change.
    std::vector<gfx::Color> drawnAt(float bars)
    {
        frameAt(bars);
        return device().readPixels(demo_->graphicSystem()->renderTarget("Screen")->colorSurface());
    }

    IOperator* scene_ = nullptr;
};

TEST_F(Scene3Frames, TheTrophyStandsNearTheMiddleOnGreyWithCubesFlyingAboveIt)
{
    const std::vector<gfx::Color> frame = frameAt(4.0f);
    const auto orange = [](gfx::Color c) {
        return red(c) > 200 && green(c) > 90 && green(c) < 170 && blue(c) < 60;
    };
    const auto grey = [](gfx::Color c) {
        return std::abs(red(c) - green(c)) < 12 && std::abs(green(c) - blue(c)) < 12 && red(c) > 90;
    };
    int left = 640, right = -1, top = 360, bottom = -1;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 640; ++x)
            if (orange(frame[y * 640 + x])) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GT(bottom - top, 60) << "the trophy stands tall";
    EXPECT_NEAR((left + right) / 2, 320, 80);
    const int middle = (left + right) / 2;
    const gfx::Color below = frame[std::min(bottom + 4, 359) * 640 + middle];
    EXPECT_GT(blue(below), 120) << "it stands on the grey pedestal, tinted by its glow: " << std::hex
                                << below;
    long cubesAbove = 0;
    for (int y = 0; y < top - 10; ++y)
        for (int x = 0; x < 640; ++x)
            cubesAbove += grey(frame[y * 640 + x]) ? 1 : 0;
    EXPECT_GT(cubesAbove, 100) << "the cubes fly in above the trophy";
}

// Cubes wholly out of view are not drawn, and the rest are drawn nearest first: fewer draws, the
// same picture, also for cubes that reach into the frame from beyond its edges.
TEST_F(Scene3Frames, CubesOutOfViewAreLeftOutWithoutChangingThePicture)
{
    auto& scene = dynamic_cast<Scene3Operator&>(*scene_);
    device().setDrawGathering(false); // so that every cube drawn is a draw call
    for (const float bars : {1.0f, 5.0f, 9.5f, 13.0f, 15.5f}) {
        const auto drawn = [&](bool culling) {
            scene.drawEveryCubeInOrder(!culling);
            const std::uint64_t before = device().drawCalls();
            std::vector<gfx::Color> frame = frameAt(bars);
            return std::make_pair(device().drawCalls() - before, std::move(frame));
        };
        const auto [allDraws, all] = drawn(false);
        const auto [culledDraws, culled] = drawn(true);
        EXPECT_LT(culledDraws, allDraws) << "bar " << bars;
        EXPECT_TRUE(culled == all) << "bar " << bars;
    }
}

// Every face seen from behind in magenta.
class Scene3FacingFrames : public Scene3Frames
{
protected:
    Scene3FacingFrames()
        : Scene3Frames(flatEffect("gl_FrontFacing ? vec4(diffuse.rgb, 1.0) : vec4(1.0, 0.0, 1.0, 1.0)"))
    {}
};

// A cube's faces turned away are hidden behind its others: all that leaving them out may change is a
// pixel where a face seen from behind tied in depth with one in front.
TEST_F(Scene3FacingFrames, CubesFacesTurnedAwayAreLeftOutChangingOnlyPixelsWhereOneShowed)
{
    auto& scene = dynamic_cast<Scene3Operator&>(*scene_);
    const auto magenta = [](gfx::Color c) { return red(c) > 200 && green(c) < 60 && blue(c) > 200; };
    for (const float bars : {1.0f, 5.0f, 9.5f, 13.0f, 15.5f}) {
        scene.drawCubesBackFaces(true);
        const std::vector<gfx::Color> both = drawnAt(bars);
        scene.drawCubesBackFaces(false);
        const std::vector<gfx::Color> front = drawnAt(bars);
        ASSERT_EQ(front.size(), both.size());
        int changed = 0;
        for (std::size_t i = 0; i < front.size(); ++i)
            if (front[i] != both[i] && (!magenta(both[i]) || magenta(front[i])))
                ++changed;
        EXPECT_EQ(changed, 0) << "bar " << bars << ": pixels changed that showed no face seen from behind";
    }
}

class Scene3ProductionFrames : public Scene3Frames
{
protected:
    Scene3ProductionFrames() : Scene3Frames(productionEffect()) {}

    static std::string productionEffect()
    {
        return readFile(std::filesystem::path(ORB_PRODUCTION_DATA) / "Scene3.fx");
    }
};

// The production's effect lights the boxes' flat faces in a pass of its own: as its pass for curved
// surfaces would light them.
TEST_F(Scene3ProductionFrames, TheBoxesPassLightsThemAsTheCurvedSurfacesPassWould)
{
    const std::string effect = productionEffect();
    const std::size_t boxesPass = effect.find("@pass 1");
    ASSERT_NE(boxesPass, std::string::npos);
    const std::array<float, 3> bars = {1.0f, 9.5f, 15.5f};
    std::vector<std::vector<gfx::Color>> ownPass;
    for (const float bar : bars)
        ownPass.push_back(drawnAt(bar));
    writeFile("Data/Scene3.fx", effect.substr(0, boxesPass));
    ASSERT_EQ(demo_->graphicSystem()->reloadEffect("Data\\Scene3.fx"), GraphicSystem::EffectReload::Reloaded);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const std::vector<gfx::Color> curvedPass = drawnAt(bars[i]);
        ASSERT_EQ(curvedPass.size(), ownPass[i].size());
        int apart = 0;
        for (std::size_t p = 0; p < curvedPass.size(); ++p)
            apart += gfx::test::near(curvedPass[p], ownPass[i][p], 2) ? 0 : 1;
        EXPECT_EQ(apart, 0) << "bar " << bars[i] << ": pixels more than 2 levels apart";
    }
}

TEST_F(Scene3Frames, ABrokenTrophyFileIsReportedWithAnEmptyLineAndFailsTheScene)
{
    writeFile("Data/tevro_pokal.x", "xof 0303txt 0032\nMesh {\n 3;\n broken");
    startGraphics(640, 360);
    EXPECT_FALSE(loadDemo(soloScript("Scene3")));
    const std::vector<std::string> lines = log();
    const auto failure = std::find(lines.begin(), lines.end(),
                                   "ORB_ERROR: D3DXLoadMeshFromXInMemory failed for Data\\tevro_pokal.x");
    ASSERT_NE(failure, lines.end());
    ASSERT_NE(failure + 1, lines.end());
    EXPECT_EQ(failure[1], "") << "an empty line follows";
}

} // namespace
} // namespace orb::test
