#include "Operators/SceneOperator.h"
#include "ProductionScenes.h"
#include "ScriptTestSupport.h"
#include "Tempo.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <tinyxml.h>

namespace orb::test {
namespace {

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

TEST_F(ProductionScriptTest, PlaysItsScenesOneAfterAnotherOnTheBarGrid)
{
    ASSERT_TRUE(loaded_);
    const std::vector<std::string> scenes = {
#define ORB_SCENE_NAME(Name) #Name,
        ORB_PRODUCTION_SCENES(ORB_SCENE_NAME)
#undef ORB_SCENE_NAME
    };
    std::uint32_t cursor = 0;
    float previousEnd = 0.0f;
    std::size_t scene = 0;
    while (IOperator* op = demo_->operatorManager()->nextOperator(cursor)) {
        ASSERT_LT(scene, scenes.size()) << op->typeName() << " is not one of the scenes the build made";
        EXPECT_EQ(std::string(op->typeName()), scenes[scene]);
        EXPECT_NE(dynamic_cast<SceneOperator*>(op), nullptr) << op->typeName() << " draws as a scene";
        EXPECT_NEAR(op->start(), previousEnd, 1e-4f) << op->typeName() << " follows on";
        const float bars = (op->end() - op->start()) / static_cast<float>(SecondsPerBar);
        EXPECT_NEAR(bars, std::round(bars), 1e-3f) << op->typeName() << " lasts whole bars";
        if (scene > 0 && scene + 1 < scenes.size()) {
            EXPECT_NEAR(bars, 16.0f, 1e-3f) << op->typeName() << ": the middle scenes last sixteen bars";
        }
        previousEnd = op->end();
        ++scene;
    }
    EXPECT_EQ(scene, scenes.size());
    const TiXmlElement* main = document_.RootElement()->FirstChildElement("main");
    ASSERT_NE(main, nullptr);
    EXPECT_NEAR(previousEnd, std::stof(main->Attribute("length")), 1e-4f) << "the last scene ends the demo";
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
