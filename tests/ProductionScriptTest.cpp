#include "ScriptTestSupport.h"

#include <cmath>
#include <filesystem>
#include <tinyxml.h>

namespace orb::test {
namespace {

constexpr float Bar = 4.0f * 60.0f / 138.0f;

// The production's own script, as the build gathers it, read by the engine. Without graphics
// the scenes cannot start, but loading has made their operators.
class ProductionScriptTest : public ScriptTest
{
protected:
    ProductionScriptTest()
    {
        const auto script = std::filesystem::path(ORB_PRODUCTION_DATA) / "DemoScript.xml";
        document_.LoadFile(script.c_str());
        loaded_ = load(readFile(script));
        demo_->loadDemo();
    }

    bool loaded_ = false;
    TiXmlDocument document_;
};

TEST_F(ProductionScriptTest, PlaysTheTenScenesOneAfterAnotherOnTheBarGrid)
{
    ASSERT_TRUE(loaded_);
    std::uint32_t cursor = 0;
    float previousEnd = 0.0f;
    int scene = 0;
    while (IOperator* op = demo_->operatorManager()->nextOperator(cursor)) {
        ++scene;
        EXPECT_EQ(std::string(op->typeName()), "Scene" + std::to_string(scene));
        EXPECT_NEAR(op->start(), previousEnd, 1e-4f) << op->typeName() << " follows on";
        const float bars = (op->end() - op->start()) / Bar;
        EXPECT_NEAR(bars, std::round(bars), 1e-3f) << op->typeName() << " lasts whole bars";
        if (scene >= 2 && scene <= 9) {
            EXPECT_NEAR(bars, 16.0f, 1e-3f) << op->typeName();
        }
        previousEnd = op->end();
    }
    EXPECT_EQ(scene, 10);
    EXPECT_NEAR(previousEnd, 243.474f, 1e-4f);
}

TEST_F(ProductionScriptTest, ShowsTheProgressBarFadesOutOverOneAndAHalfSecondsAndRunsItsLength)
{
    const TiXmlElement* root = document_.RootElement();
    ASSERT_NE(root, nullptr);
    const TiXmlElement* init = root->FirstChildElement("init");
    const TiXmlElement* main = root->FirstChildElement("main");
    ASSERT_TRUE(init != nullptr && main != nullptr);
    EXPECT_STREQ(init->Attribute("progressBar"), "1");
    EXPECT_STREQ(init->Attribute("fadeout"), "1.5");
    EXPECT_STREQ(main->Attribute("length"), "243.474");
}

} // namespace
} // namespace orb::test
