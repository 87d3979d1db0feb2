#include "Chapters.h"

#include <gtest/gtest.h>

namespace orb::render::test {
namespace {

// Scene1 restarted at 1 s (as the sync check restarts its title on every beat), Scene2 from 2 s to
// 3 s, nothing until Scene1 again from 4 s; pictures every half second from 0.25 s.
TEST(Chapters, BeginOnEachScenesFirstPictureAndMergeASceneRestartedAtOnce)
{
    const std::vector<app::SceneSpan> spans = {
        {"Scene1", 0.0f, 1.0f, nullptr},
        {"Scene1", 1.0f, 2.0f, nullptr},
        {"Scene2", 2.0f, 3.0f, nullptr},
        {"Scene1", 4.0f, 5.0f, nullptr},
    };
    std::vector<double> times;
    for (double time = 0.25; time < 5.0; time += 0.5)
        times.push_back(time);
    const std::vector<Chapter> chapters = chaptersOf(spans, times);
    ASSERT_EQ(chapters.size(), 3u);
    EXPECT_EQ(chapters[0].title, "Scene1");
    EXPECT_EQ(chapters[0].first, 0);
    EXPECT_EQ(chapters[0].end, 4);
    EXPECT_EQ(chapters[1].title, "Scene2");
    EXPECT_EQ(chapters[1].first, 4);
    EXPECT_EQ(chapters[1].end, 6);
    EXPECT_EQ(chapters[2].title, "Scene1");
    EXPECT_EQ(chapters[2].first, 8);
}

TEST(Chapters, AreDescribedAsAVideoSitesDescriptionReadsThem)
{
    const std::vector<Chapter> chapters = {
        {"Scene1", 0, 417}, {"Scene2", 417, 3660}, {"Scene10", 216000, 216060}};
    EXPECT_EQ(describe(chapters, 60.0), "0:00 Scene1\n0:06 Scene2\n1:00:00 Scene10\n");
}

} // namespace
} // namespace orb::render::test
