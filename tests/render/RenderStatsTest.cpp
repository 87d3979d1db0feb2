#include "RenderStats.h"

#include "Operators/SceneOperator.h"
#include "ScriptTestSupport.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orb::render::test {
namespace {

// A scene operator of the test's own, only ever named.
class NamedScene final : public SceneOperator
{
public:
    NamedScene(Scene& scene, std::uint32_t id, const char* name) : SceneOperator(scene, id), name_(name) {}
    const char* typeName() const override { return name_; }

protected:
    bool load() override { return true; }
    void draw(const FrameTime&) override {}

private:
    const char* name_;
};

using RenderStatsTest = orb::test::ScriptTest;

TEST_F(RenderStatsTest, TimesTheScenesOfTheTimelineWhateverTheirNames)
{
    Scene scene(*demo_, 0);
    const NamedScene dawn(scene, 1, "Dawn");
    const NamedScene scenery(scene, 2, "Scenery"); // not on the timeline: drawn inside another
    RenderStats stats;
    stats.setScenes({{"Dawn", 0.0f, 10.0f, &dawn}});
    for (int frame = 0; frame < 3; ++frame) {
        stats.ran(dawn);
        stats.ran(scenery);
        stats.endFrame(5.0, frame / 60.0, {});
    }
    std::ostringstream report;
    stats.report(report);
    // The operator's name in 9 columns, its frames in 8.
    EXPECT_NE(report.str().find("\nDawn            3"), std::string::npos) << report.str();
    EXPECT_EQ(report.str().find("Scenery"), std::string::npos) << report.str();
}

} // namespace
} // namespace orb::render::test
