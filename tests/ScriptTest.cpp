#include "GraphicSystem.h"
#include "ProductionScenes.h"
#include "RecordResources.h"
#include "RenderTargetResource.h"
#include "ScriptTestSupport.h"
#include "platform/win/DialogView.h"

#include <clocale>
#include <cstdlib>
#include <sstream>

namespace orb::test {
namespace {

TEST_F(ScriptTest, ReadsOnlyTheFirstInitAndMainAndIgnoresMisplacedElements)
{
    ASSERT_TRUE(loadDemo(R"(<?xml version="1.0"?>
<demo>
  <!-- a comment among the elements -->
  <init progressBar="0"><resources><!-- no resources yet --></resources></init>
  <init><resources><Font id="3" name="ignored" source="x"/></resources></init>
  <main length="12.5">
    <scene id="0" name="first" start="0" end="10">
      <layer name="a" start="0" end="10"><children><operator name="Probe" id="0" start="0" end="10"/></children></layer>
      <operator name="Probe" id="9" start="0" end="10"/>
    </scene>
    <layer name="stray" start="0" end="10"><children><operator name="Probe" id="8"/></children></layer>
  </main>
  <main length="99"><scene id="1" name="second"/></main>
</demo>)"));
    EXPECT_EQ(demo_->operatorManager()->operatorCount(), 1u) << "only the operator inside a layer";
    std::uint32_t cursor = 0;
    EXPECT_EQ(demo_->resourceManager()->nextResource(cursor), nullptr);
    EXPECT_NE(written().find("<main length=\"12.5\">"), std::string::npos);
    EXPECT_EQ(written().find("second"), std::string::npos);
}

TEST_F(ScriptTest, ReadsNumbersAsTheCLibraryDoesAndAbsentOnesAsZero)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main><scene id="0" name="s" end="100">
      <layer name="l" end="100"><children>
        <operator name="Probe" id="0" start=" 12.5x" end="fifty"/>
        <operator name="Probe" id="1" start="-3" end="1e1"/>
      </children></layer></scene></main></demo>)"));
    EXPECT_EQ(probe(0)->start(), 12.5f);
    EXPECT_EQ(probe(0)->end(), 0.0f);
    EXPECT_EQ(probe(1)->start(), -3.0f);
    EXPECT_EQ(probe(1)->end(), 10.0f);
}

TEST_F(ScriptTest, ReadsNumbersByTheCRulesAfterTheSetupDialogTookTheViewersLocale)
{
    // As the player starts on a German desktop without a display: the dialog's toolkit sets the
    // process locale from the environment while it finds that it cannot show the dialog.
    struct BackToC
    {
        ~BackToC()
        {
            std::setlocale(LC_ALL, "C");
            ::unsetenv("LC_ALL");
        }
    } backToC;
    ::setenv("LOCPATH", ORB_TEST_LOCALES, 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    win::DialogForm form;
    ASSERT_EQ(win::runDialog(form, [](win::DialogForm&, int) {}), win::DialogResult::Unavailable);
    ASSERT_EQ(std::atof("1.5"), 1.0) << "the C library reads a comma now";

    ASSERT_TRUE(loadDemo(R"(<demo><init progressBar="0" fadeout="1.5"><resources/></init>
      <main length="6.9564"><scene id="0" name="s" end="100"><layer name="l" end="100"><children>
        <operator name="Probe" id="0" start="1.5" end="6.9564"/>
      </children></layer></scene></main></demo>)"));
    EXPECT_EQ(probe(0)->start(), 1.5f);
    EXPECT_EQ(probe(0)->end(), 6.9564f);
    EXPECT_NE(written().find(R"(fadeout="1.5")"), std::string::npos);
    EXPECT_NE(written().find(R"(<main length="6.9564">)"), std::string::npos);
}

TEST_F(ScriptTest, ScenesWithoutIdsCollideAndTheFirstKeepsTheSlot)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main>
      <scene name="one" end="1"/><scene name="two" end="1"/></main></demo>)"));
    EXPECT_TRUE(loggedFrom("src/DemoSystem.cpp", "occupied scene id '0'"));
    EXPECT_NE(written().find("name=\"one\""), std::string::npos);
    EXPECT_EQ(written().find("name=\"two\""), std::string::npos);
}

TEST_F(ScriptTest, OperatorsWithoutIdsCollideAndUnknownTypesAreLeftOut)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init><resources/></init><main><scene id="0" name="s" end="9">
      <layer name="l" end="9"><children>
        <operator name="Probe" start="0" end="1"/>
        <operator name="Probe" start="1" end="2"/>
        <operator name="probe" id="4"/>
        <operator name="Probe" id="4000000000"/>
      </children></layer></scene></main></demo>)"));
    EXPECT_TRUE(loggedFrom("src/OperatorManager.cpp", "occupied operator id '0'"));
    EXPECT_TRUE(logged("ORB_ERROR: failed to create operator: probe"));
    EXPECT_TRUE(loggedFrom("src/OperatorManager.cpp", "invalid operator id '4000000000'"));
    EXPECT_EQ(demo_->operatorManager()->operatorCount(), 1u);
}

TEST_F(ScriptTest, ExplainsAScriptItCannotUse)
{
    // A script that does not parse stays open and would be served again: each case gets a new demo.
    const std::pair<const char*, const char*> cases[] = {
        {"<demo><init></demo>", "ORB_ERROR: while parsing 'Data\\DemoScript.xml'"},
        {"<show/>", "ORB_ERROR: cant find XML element 'demo'"},
        {"<demo><main/></demo>", "ORB_ERROR: cant find XML element 'init'"},
        {"<demo><init/></demo>", "ORB_ERROR: cant find XML element 'main'"},
    };
    for (const auto& [script, message] : cases) {
        resetDemo();
        EXPECT_FALSE(load(script));
        EXPECT_EQ(log().back(), message);
    }
    EXPECT_FALSE(demo_->loadScript("Data\\Missing.xml"));
    EXPECT_EQ(log().back(), "ORB_ERROR: failed opening file 'Data\\Missing.xml'");
}

TEST_F(ScriptTest, NormalisesLineEndsAndStopsAtTheFirstZeroByte)
{
    const std::string script = std::string("<demo>\r\n<init>\r<resources/></init>\r\n<main length=\"3\">"
                                           "<scene id=\"0\" name=\"two\r\nlines\r\rand more\" end=\"3\"/>"
                                           "</main></demo>") +
                               '\0' + "<!-- an unclosed comment that would fail the parse";
    ASSERT_TRUE(loadDemo(script));
    EXPECT_NE(written().find("name=\"two\nlines\n\nand more\""), std::string::npos) << written();
}

TEST_F(ScriptTest, CreateResourcesGoesOnAfterAFailureAndReportsIt)
{
    EXPECT_FALSE(loadDemo(R"(<demo><init><resources>
      <Sound id="0" name="music" source="Data\velmora.mp3"/>
      <Sprite id="1" name="nope"/>
      <Font id="2" name="face" source="Data\face.ttf"/>
    </resources></init><main/></demo>)"));
    EXPECT_TRUE(logged("ORB_ERROR: failed to create resource: Sprite"));
    EXPECT_TRUE(logged("ORB_ERROR: failed creating resources"));
    EXPECT_NE(demo_->resourceManager()->getResource(2), nullptr);
    EXPECT_EQ(demo_->resourceManager()->getResource(1), nullptr);
    EXPECT_TRUE(loggedFrom("src/ResourceManager.cpp", "invalid resource id '1'"));

    ASSERT_TRUE(load("<demo><init/><main/></demo>"));
    EXPECT_FALSE(demo_->loadDemo());
    EXPECT_TRUE(logged("ORB_ERROR: cant find XML element 'resources'"));
}

TEST_F(ScriptTest, ElementsWriteThemselvesBackExactly)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init progressBar="1" fadeout="1.5"><resources>
      <Texture id="4" name="tex" source="Data\t.png" levels="1" usage="2" format="21" pool="0" colorKey="-1"/>
      <Movie name="film" source="Data\m.avi"/>
    </resources></init>
    <main length="95"><scene id="0" name="main" start="0" end="95">
      <layer name="one" active="1" solo="0" start="0" end="95"><children>
        <operator name="Probe" id="7" start="0" end="30.25"><segments><segment start="1" end="2.5"/></segments>
          <children><operator name="Probe" id="8" start="0.5" end="1"/></children></operator>
      </children></layer></scene></main></demo>)"));
    EXPECT_EQ(written(), R"(<?xml version="1.0" encoding="UTF-8"?>
<demo>
<init progressBar="1" scene="0" fadeout="1.5">
<plugins>
</plugins>
<resources>
<Movie id="0" name="film" source="Data\m.avi"/>
<Texture id="4" name="tex" source="Data\t.png" levels="1" usage="2" format="21" pool="0" colorKey="-1"/>
</resources>
</init>
<main length="95">
<scene id="0" name="main" start="0" end="95">
<layer name="one" active="1" solo="0" start="0" end="95">
<children>
<operator name="Probe" active="0" solo="0" start="0" end="30.25">
<segments>
<segment start="1" end="2.5"/>
</segments>
<children>
<operator name="Probe" active="0" solo="0" start="0.5" end="1">
</operator>
</children>
</operator>
</children>
</layer>
</scene>
</main>
</demo>
)");
}

TEST_F(ScriptTest, AWrittenScriptReadsBackAndWritesTheSameText)
{
    ASSERT_TRUE(loadDemo(R"(<demo><init progressBar="1" scene="2" fadeout="0.75"><resources>
      <RenderTarget id="1" name="half" source="" width="*0.5" height="256" levels="1" format="21" depthFormat="75"/>
      <Sound id="0" name="music" source="Data\velmora.mp3"/>
      <Shader id="2" name="sh" source="Data\a.fx"/><Scene id="3" name="sc" source="b"/><Font id="5" name="f" source="c"/>
    </resources></init>
    <main length="20.8692"><scene id="0" name="s" start="0" end="20.8692">
      <layer name="l" start="0" end="20.8692"><segments><segment start="0" end="6.9564"/></segments><children>
        <operator name="Probe" start="0" end="6.9564"/></children></layer></scene>
      <scene id="2" name="loading" end="3"/></main></demo>)"));
    const std::string first = written();
    resetDemo();
    ASSERT_TRUE(loadDemo(first));
    EXPECT_EQ(written(), first);
}

// Render targets on a 1366 x 768 screen.
class RenderTargetTest : public ScriptTest
{
protected:
    RenderTargetTest()
    {
        std::filesystem::create_directories("Data");
        for (const char* effect : {"Downsample4x4.fx", "GaussianBlur.fx", "Compositor.fx"})
            std::filesystem::copy_file(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data" / effect,
                                       std::filesystem::path("Data") / effect);
        DemoSettings settings;
        settings.width = 1366;
        settings.height = 768;
        EXPECT_TRUE(demo_->graphicSystem()->init(settings));
    }

    // The targets of a script that declares `resources`, by id.
    std::vector<RenderTargetResource*> targets(const std::string& resources)
    {
        EXPECT_TRUE(loadDemo("<demo><init><resources>" + resources + "</resources></init><main/></demo>"));
        std::vector<RenderTargetResource*> found;
        std::uint32_t cursor = 0;
        while (IResource* resource = demo_->resourceManager()->nextResource(cursor))
            found.push_back(dynamic_cast<RenderTargetResource*>(resource));
        return found;
    }
};

TEST_F(RenderTargetTest, SizesMayBeFractionsOfTheScreen)
{
    const auto made = targets(R"(
      <RenderTarget id="0" name="a" width="*0.3" height="*0.5" levels="1" format="21"/>
      <RenderTarget id="1" name="b" width="256" height="*x" levels="1" format="21" depthFormat="75"/>)");
    ASSERT_EQ(made.size(), 2u);
    RenderTargetResource* a = made[0];
    RenderTargetResource* b = made[1];
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->width(), 409);
    EXPECT_EQ(a->height(), 384);
    EXPECT_FLOAT_EQ(a->widthFactor(), 0.3f);
    EXPECT_EQ(b->width(), 256);
    EXPECT_EQ(b->widthFactor(), 0.0f);
    EXPECT_EQ(b->height(), 0);
    EXPECT_NE(
        written().find(
            R"(<RenderTarget id="0" name="a" source="" width="*0.3" height="*0.5" levels="1" format="21" depthFormat="0"/>)"),
        std::string::npos);

    RenderTarget* target = a->handle();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->colorSurface()->width(), 409);
    EXPECT_EQ(target->depthSurface(), nullptr) << "no depthFormat, no depth surface";
    EXPECT_EQ(a->handle(), target) << "made once";
    EXPECT_EQ(b->handle(), nullptr) << "a zero height cannot be made";
}

TEST_F(RenderTargetTest, FractionsBeyondAnyTextureAreClampedAndLogged)
{
    const auto made = targets(R"(
      <RenderTarget id="0" name="huge" width="*1e10" height="*inf" levels="1" format="21"/>
      <RenderTarget id="1" name="odd" width="*nan" height="*-2" levels="1" format="21"/>)");
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->width(), 16384);
    EXPECT_EQ(made[0]->height(), 16384);
    EXPECT_EQ(made[1]->width(), 0);
    EXPECT_EQ(made[1]->height(), 0);
    for (const char* line :
         {"invalid render target width '*1e10', using 16384",
          "invalid render target height '*inf', using 16384", "invalid render target width '*nan', using 0",
          "invalid render target height '*-2', using 0"})
        EXPECT_TRUE(logged(std::string("ORB_ERROR: ") + line)) << line;
}

TEST_F(RenderTargetTest, FractionsReadByTheCRulesUnderTheViewersCommaDecimalLocale)
{
    const ViewerLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.active());
    const auto made =
        targets(R"(<RenderTarget id="0" name="half" width="*0.5" height="*0.25" format="21"/>)");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->width(), 683);
    EXPECT_EQ(made[0]->height(), 192);
}

TEST_F(ScriptTest, SurvivesEveryScriptTheFuzzerOnceBrokeItWith)
{
    // Run in the sanitizer build, a read outside the text would stop the test.
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(ORB_SOURCE_DIR) /
                                                                 "tests/data/script-regressions")) {
        resetDemo();
        if (load(readFile(entry.path())))
            demo_->loadDemo();
        std::ostringstream written;
        demo_->writeScript(written);
    }
}

TEST_F(ScriptTest, FactoriesListTheirTypesWithCategories)
{
    std::vector<std::string> types, categories;
    demo_->operatorManager()->factory().listTypes(types);
    demo_->operatorManager()->factory().listCategories(categories);
    std::vector<std::string> expected = {"SetRenderTarget", "ClearTarget", "Sound"};
#define ORB_SCENE_NAME(Name) expected.push_back(#Name);
    ORB_PRODUCTION_SCENES(ORB_SCENE_NAME)
#undef ORB_SCENE_NAME
    expected.push_back("Probe"); // the delegate comes last
    EXPECT_EQ(types, expected);
    ASSERT_EQ(categories.size(), expected.size());
    EXPECT_EQ(categories[2], "Sound");
    EXPECT_EQ(categories[3], "Screen") << "a scene";
    EXPECT_EQ(categories.back(), "Test");
    types.clear();
    categories.clear();
    demo_->resourceManager()->factory().listTypes(types);
    demo_->resourceManager()->factory().listCategories(categories);
    EXPECT_EQ(types, (std::vector<std::string>{"RenderTarget", "Texture", "Sound", "Scene", "Shader", "Movie",
                                               "Font"}));
    EXPECT_EQ(categories, (std::vector<std::string>{"2D", "2D", "Sounds", "3D", "3D", "2D", "2D"}));
}

} // namespace
} // namespace orb::test
