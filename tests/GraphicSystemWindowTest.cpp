// Runs under Xvfb (see tests/CMakeLists.txt): the GraphicSystem opens its window as the player does.

#include "FileSystem.h"
#include "GraphicSystem.h"
#include "TestSupport.h"
#include "XWindowProbe.h"

namespace orb::test {
namespace {

const std::filesystem::path ProductionData = std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data";

TEST_F(LoggedTest, GraphicSystemOpensAWindowedClientAreaOfTheAskedSizeAtTheTopLeft)
{
    gfx::test::XWindowProbe probe;
    if (!probe.connected())
        GTEST_SKIP() << "no X display; run under xvfb-run";
    std::filesystem::copy(ProductionData, "Data", std::filesystem::copy_options::recursive);
    std::filesystem::create_directory("Data.qel");
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.init("Data.qel"));
    DemoSettings settings;
    settings.fullscreen = 0;
    GraphicSystem graphics(fileSystem, Host::player());
    ASSERT_TRUE(graphics.init(settings));

    EXPECT_NE(settings.window, 0u) << "the window's handle is written back";
    const gfx::test::WindowFacts facts = probe.facts(settings.window);
    EXPECT_EQ(facts.width, 1280);
    EXPECT_EQ(facts.height, 720);
    EXPECT_EQ(facts.x, 0);
    EXPECT_EQ(facts.y, 0);
    EXPECT_EQ(facts.title, "engine_window_tests");
    EXPECT_EQ(facts.windowClass, "OrbEngineClass");
    EXPECT_TRUE(logged("ORB_INFO: GraphicSystem Init Done"));
}

} // namespace
} // namespace orb::test
