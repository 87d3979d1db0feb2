#include "SetupDialog.h"

#include <gtest/gtest.h>

namespace orb {
namespace {

using Modes = std::vector<win::DisplayMode>;

TEST(SetupDialog, ListsEach32BitModeOnceWhereItRepeatsInARowAndKeepsTheSystemsOrder)
{
    DemoSettings settings;
    SetupDialog dialog(settings, Modes{{640, 480, 4},
                                       {640, 480, 4},
                                       {800, 600, 2},
                                       {800, 600, 4},
                                       {1280, 720, 4},
                                       {1280, 720, 4},
                                       {640, 480, 4}});
    EXPECT_EQ(dialog.resolutionLabels(),
              (std::vector<std::string>{"640 x 480", "800 x 600", "1280 x 720", "640 x 480"}));
    ASSERT_EQ(settings.displayModes.size(), 4u);
    EXPECT_EQ(settings.displayModes[1].width, 800);
    EXPECT_EQ(dialog.resolution(), 2) << "the settings' 1280 x 720";
}

TEST(SetupDialog, SelectsTheLastEntryOfTheSettingsSize)
{
    DemoSettings settings;
    settings.width = 640;
    settings.height = 480;
    SetupDialog dialog(settings, Modes{{640, 480, 4}, {800, 600, 4}, {640, 480, 4}});
    EXPECT_EQ(dialog.resolution(), 2);
}

TEST(SetupDialog, OffersFourteenRatiosAndSeventeenMultisampleEntries)
{
    const std::vector<std::string>& aspects = SetupDialog::aspectLabels();
    ASSERT_EQ(aspects.size(), 14u);
    EXPECT_EQ(aspects[0], "2:1");
    EXPECT_EQ(aspects[4], "16:9");
    EXPECT_EQ(aspects[13], "9:21");
    const std::vector<std::string>& samples = SetupDialog::multisampleLabels();
    ASSERT_EQ(samples.size(), 17u);
    EXPECT_EQ(samples[0], "None");
    EXPECT_EQ(samples[1], "Non Maskable");
    EXPECT_EQ(samples[2], "2x");
    EXPECT_EQ(samples[16], "16x");
    EXPECT_FLOAT_EQ(aspectRatioValue(5), 1.6f);
    EXPECT_FLOAT_EQ(aspectRatioValue(13), 9.0f / 21.0f);
}

TEST(SetupDialog, TheAspectBoxFollowsTheResolutionBox)
{
    DemoSettings settings;
    SetupDialog dialog(settings, Modes{{1920, 1200, 4}, {1366, 768, 4}, {1280, 720, 4}, {1024, 768, 4}});
    EXPECT_EQ(dialog.aspect(), 4) << "16:9 for the settings' 1280 x 720";
    dialog.selectResolution(0);
    EXPECT_EQ(dialog.aspect(), 5) << "1920 x 1200 is 16:10";
    dialog.selectResolution(1);
    EXPECT_EQ(dialog.aspect(), 0) << "1366 x 768 matches no ratio within 0.0001: 2:1";
    dialog.selectResolution(3);
    EXPECT_EQ(dialog.aspect(), 2);
    EXPECT_EQ(aspectRatioIndex(1920, 1200), 5);
    EXPECT_EQ(aspectRatioIndex(1366, 768), 0);
}

TEST(SetupDialog, ConfirmingUntouchedStoresWhatItShows)
{
    DemoSettings settings;
    SetupDialog dialog(settings, Modes{{1024, 768, 4}, {1280, 720, 4}});
    EXPECT_EQ(dialog.multisample(), 4);
    EXPECT_TRUE(dialog.fullscreen());
    EXPECT_TRUE(dialog.sound());
    EXPECT_FALSE(dialog.loopDemo());
    dialog.confirm();
    EXPECT_EQ(settings.width, 1280);
    EXPECT_EQ(settings.height, 720);
    EXPECT_FLOAT_EQ(settings.aspectRatio, 1.7777778f);
    EXPECT_EQ(settings.multisampleType, 4);
    EXPECT_EQ(settings.fullscreen, 1);
    EXPECT_EQ(settings.sound, 1);
    EXPECT_EQ(settings.loopDemo, 0);
}

TEST(SetupDialog, ConfirmingStoresTheChoices)
{
    DemoSettings settings;
    SetupDialog dialog(settings, Modes{{1024, 768, 4}, {1280, 720, 4}});
    dialog.selectResolution(0);
    dialog.selectAspect(4);
    dialog.selectMultisample(1);
    dialog.setFullscreen(false);
    dialog.setSound(false);
    dialog.setLoopDemo(true);
    dialog.confirm();
    EXPECT_EQ(settings.width, 1024);
    EXPECT_FLOAT_EQ(settings.aspectRatio, 16.0f / 9.0f) << "the aspect box may differ from the mode";
    EXPECT_EQ(settings.multisampleType, 1) << "Non Maskable";
    EXPECT_EQ(settings.fullscreen, 0);
    EXPECT_EQ(settings.sound, 0);
    EXPECT_EQ(settings.loopDemo, 1);
    dialog.selectMultisample(16);
    dialog.confirm();
    EXPECT_EQ(settings.multisampleType, 16);
}

TEST(SetupDialog, ConfirmingWithoutAResolutionKeepsThePreviousSize)
{
    DemoSettings settings;
    settings.width = 1000;
    settings.height = 700;
    SetupDialog dialog(settings, Modes{{1024, 768, 4}, {1280, 720, 4}});
    EXPECT_FALSE(dialog.resolution());
    dialog.confirm();
    EXPECT_EQ(settings.width, 1000);
    EXPECT_EQ(settings.height, 700);
}

TEST(SetupDialog, ADisplayWithout32BitModesGivesAnEmptyList)
{
    DemoSettings settings;
    SetupDialog dialog(settings, Modes{{800, 600, 2}, {640, 480, 3}});
    EXPECT_TRUE(dialog.resolutionLabels().empty());
    EXPECT_FALSE(dialog.resolution());
    dialog.selectResolution(0);
    EXPECT_FALSE(dialog.resolution());
}

} // namespace
} // namespace orb
