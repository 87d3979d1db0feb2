#include "ScriptTestSupport.h"

#include <algorithm>

namespace orb::test {
namespace {

// A script with one scene 0 whose layers are given as XML.
std::string sceneScript(const std::string& scene, const std::string& layers)
{
    return "<demo><init><resources/></init><main length=\"300\"><scene id=\"0\" name=\"s\" " + scene + ">" +
           layers + "</scene></main></demo>";
}

using TimelineTest = ScriptTest;

TEST_F(TimelineTest, ElementsAreActiveOnHalfOpenIntervals)
{
    ASSERT_TRUE(
        loadDemo(sceneScript(R"(start="0" end="100")", R"(<layer name="l" start="0" end="100"><children>
        <operator name="Probe" id="0" start="2" end="5"/>
        <operator name="Probe" id="1" start="5" end="5"/>
        <operator name="Probe" id="2"/></children></layer>)")));
    const ProbeOperator& op = *probe(0);
    EXPECT_TRUE(op.isActive(2.0f));
    EXPECT_TRUE(op.isActive(4.999f));
    EXPECT_FALSE(op.isActive(5.0f));
    EXPECT_FALSE(op.isActive(1.999f));
    for (float t : {0.0f, 5.0f, 1e6f}) {
        EXPECT_FALSE(probe(1)->isActive(t)) << "an end not after the start is never active";
        EXPECT_FALSE(probe(2)->isActive(t)) << "no start and no end: both 0";
    }
}

TEST_F(TimelineTest, ChildrenSeeTheTimeSinceTheirParentsStartAndStopWithIt)
{
    ASSERT_TRUE(
        loadDemo(sceneScript(R"(start="0" end="200")", R"(<layer name="l" start="10" end="40"><children>
        <operator name="Probe" id="0" start="5" end="15"><children>
          <operator name="Probe" id="1" start="0" end="2"/>
        </children></operator></children></layer>)")));
    demo_->scene(0)->process(16.0f, true);
    demo_->scene(0)->process(30.0f, true);
    EXPECT_EQ(probe(0)->calls, (std::vector<std::pair<float, bool>>{{6.0f, true}}));
    EXPECT_EQ(probe(1)->calls, (std::vector<std::pair<float, bool>>{{1.0f, true}}))
        << "not at 30: its parent is off";
}

TEST_F(TimelineTest, TheScenesSpanGatesButDoesNotShiftItsLayers)
{
    // The layer and its operator run on past the scene's end: the scene's own end stops them.
    ASSERT_TRUE(
        loadDemo(sceneScript(R"(start="20" end="50")", R"(<layer name="l" start="0" end="100"><children>
        <operator name="Probe" id="0" start="0" end="100"/></children></layer>)")));
    for (const float t : {10.0f, 20.0f, 33.5f, 50.0f, 60.0f})
        demo_->scene(0)->process(t, true);
    EXPECT_EQ(probe(0)->calls, (std::vector<std::pair<float, bool>>{{20.0f, true}, {33.5f, true}}));
}

TEST_F(TimelineTest, SiblingsRunInDocumentOrderAndALayerStartsItsOperatorsLate)
{
    ASSERT_TRUE(
        loadDemo(sceneScript(R"(start="0" end="100")", R"(<layer name="l" start="10" end="100"><children>
        <operator name="Probe" id="5" start="0" end="5"/>
        <operator name="Probe" id="2" start="0" end="50"/></children></layer>
        <layer name="empty" start="0" end="100"/>)")));
    probeJournal.clear();
    for (const float t : {9.0f, 10.0f, 14.5f, 15.0f})
        demo_->scene(0)->process(t, true);
    EXPECT_EQ(probe(5)->calls, (std::vector<std::pair<float, bool>>{{0.0f, true}, {4.5f, true}}));
    EXPECT_EQ(probeJournal, (std::vector<std::uint32_t>{5, 2, 5, 2, 2})) << "document order, not id order";
}

TEST_F(TimelineTest, SegmentsNarrowActivityToTheirHalfOpenIntervals)
{
    ASSERT_TRUE(
        loadDemo(sceneScript(R"(start="0" end="100")", R"(<layer name="l" start="0" end="100"><children>
        <operator name="Probe" id="0" start="0" end="10"><segments>
          <segment start="1" end="2"/><segment start="5" end="20"/></segments></operator>
        </children></layer>)")));
    const ProbeOperator& op = *probe(0);
    EXPECT_FALSE(op.isActive(0.5f));
    EXPECT_TRUE(op.isActive(1.0f));
    EXPECT_FALSE(op.isActive(2.0f));
    EXPECT_TRUE(op.isActive(9.9f));
    EXPECT_FALSE(op.isActive(10.0f)) << "segments do not widen the element";
}

TEST_F(TimelineTest, AnOperatorWhoseInitFailsLogsEveryFrameAndSkipsItsChildren)
{
    EXPECT_FALSE(
        loadDemo(sceneScript(R"(start="0" end="100")", R"(<layer name="l" start="0" end="100"><children>
        <operator name="Probe" id="0" start="0" end="10" failInit="1"><children>
          <operator name="Probe" id="1" start="0" end="10"/></children></operator>
        </children></layer>)")));
    EXPECT_TRUE(logged("ORB_ERROR: Failed to initialize operator Probe"));
    for (const float t : {1.0f, 2.0f})
        demo_->scene(0)->process(t, false);
    const std::vector<std::string> lines = log();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ORB_ERROR: ProbeOperator::init failed"), 2);
    EXPECT_TRUE(probe(1)->calls.empty());
}

} // namespace
} // namespace orb::test
