#include "SetupDialog.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace orb {
namespace {

using Modes = std::vector<win::DisplayMode>;

std::vector<win::Display> oneDisplay(Modes modes)
{
    return {{"screen", 1280, 720, std::move(modes)}};
}

// The primary at 1024 x 768 beside a second display at 1600 x 900.
std::vector<win::Display> twoDisplays()
{
    return {{"DUMMY0", 1024, 768, {{1024, 768, 4}, {800, 600, 4}}},
            {"DUMMY1", 1600, 900, {{1600, 900, 4}, {1280, 720, 4}, {800, 600, 4}}}};
}

TEST(SetupDialog, ListsEach32BitModeOnceWhereItRepeatsInARowAndKeepsTheSystemsOrder)
{
    DemoSettings settings;
    SetupDialog dialog(settings, oneDisplay(Modes{{640, 480, 4},
                                                  {640, 480, 4},
                                                  {800, 600, 2},
                                                  {800, 600, 4},
                                                  {1280, 720, 4},
                                                  {1280, 720, 4},
                                                  {640, 480, 4}}));
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
    SetupDialog dialog(settings, oneDisplay(Modes{{640, 480, 4}, {800, 600, 4}, {640, 480, 4}}));
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
    SetupDialog dialog(settings,
                       oneDisplay(Modes{{1920, 1200, 4}, {1366, 768, 4}, {1280, 720, 4}, {1024, 768, 4}}));
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
    SetupDialog dialog(settings, oneDisplay(Modes{{1024, 768, 4}, {1280, 720, 4}}));
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
    SetupDialog dialog(settings, oneDisplay(Modes{{1024, 768, 4}, {1280, 720, 4}}));
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

TEST(SetupDialog, OffersSoundOffsetsInTensOfMillisecondsWithTheSettingsOwnAmongThem)
{
    DemoSettings settings;
    SetupDialog dialog(settings, oneDisplay(Modes{{1280, 720, 4}}));
    ASSERT_EQ(dialog.soundOffsetLabels().size(), 41u);
    EXPECT_EQ(dialog.soundOffsetLabels()[0], "-200 ms");
    EXPECT_EQ(dialog.soundOffsetLabels()[dialog.soundOffsetChoice()], "0 ms");
    EXPECT_EQ(dialog.soundOffsetLabels()[40], "+200 ms");
    dialog.selectSoundOffset(24);
    dialog.confirm();
    EXPECT_EQ(settings.soundOffset, 40);

    for (const int own : {-25, 35, 250, -300}) {
        settings.soundOffset = own;
        SetupDialog shown(settings, oneDisplay(Modes{{1280, 720, 4}}));
        EXPECT_EQ(shown.soundOffsetLabels().size(), 42u) << own;
        const std::vector<std::string>& labels = shown.soundOffsetLabels();
        EXPECT_TRUE(std::is_sorted(
            labels.begin(), labels.end(),
            [](const std::string& a, const std::string& b) { return std::stoi(a) < std::stoi(b); }))
            << own;
        shown.confirm();
        EXPECT_EQ(settings.soundOffset, own) << "the option's offset is kept when untouched";
    }
}

TEST(SetupDialog, ConfirmingWithoutAResolutionKeepsThePreviousSize)
{
    DemoSettings settings;
    settings.width = 1000;
    settings.height = 700;
    SetupDialog dialog(settings, oneDisplay(Modes{{1024, 768, 4}, {1280, 720, 4}}));
    EXPECT_FALSE(dialog.resolution());
    dialog.confirm();
    EXPECT_EQ(settings.width, 1000);
    EXPECT_EQ(settings.height, 700);
}

TEST(SetupDialog, ADisplayWithout32BitModesGivesAnEmptyList)
{
    DemoSettings settings;
    SetupDialog dialog(settings, oneDisplay(Modes{{800, 600, 2}, {640, 480, 3}}));
    EXPECT_TRUE(dialog.resolutionLabels().empty());
    EXPECT_FALSE(dialog.resolution());
    dialog.selectResolution(0);
    EXPECT_FALSE(dialog.resolution());
}

TEST(SetupDialog, ListsTheDisplaysByNumberNameAndSizeWithTheSettingsOneChosen)
{
    DemoSettings settings;
    EXPECT_EQ(SetupDialog(settings, twoDisplays()).display(), 0) << "the primary, listed first";
    settings.display = 1;
    SetupDialog dialog(settings, twoDisplays());
    EXPECT_EQ(dialog.displayLabels(),
              (std::vector<std::string>{"1: DUMMY0 (1024 x 768)", "2: DUMMY1 (1600 x 900)"}));
    EXPECT_EQ(dialog.display(), 1);
    EXPECT_EQ(dialog.resolutionLabels(), (std::vector<std::string>{"1600 x 900", "1280 x 720", "800 x 600"}));
    EXPECT_EQ(dialog.resolution(), 1);
    settings.display = 2;
    EXPECT_EQ(SetupDialog(settings, twoDisplays()).display(), 0) << "a display that is not there";
}

TEST(SetupDialog, ADisplayWithoutTheChosenSizeKeepsItsDesktopModeAndOneWithItSwitches)
{
    DemoSettings settings;
    SetupDialog dialog(settings, twoDisplays());
    EXPECT_FALSE(dialog.resolution()) << "the primary has no 1280 x 720 mode";
    EXPECT_TRUE(dialog.keepDesktopMode());

    dialog.selectDisplay(1);
    EXPECT_EQ(dialog.resolutionLabels().front(), "1600 x 900");
    EXPECT_EQ(dialog.resolution(), 1);
    EXPECT_FALSE(dialog.keepDesktopMode());
    dialog.selectResolution(2);
    dialog.selectDisplay(0);
    EXPECT_EQ(dialog.resolution(), 1) << "800 x 600 stays chosen where the display has it";
    dialog.confirm();
    EXPECT_EQ(settings.display, 0);
    EXPECT_EQ(settings.width, 800);
    EXPECT_EQ(settings.keepDesktopMode, 0);

    settings.keepDesktopMode = 1;
    EXPECT_TRUE(SetupDialog(settings, twoDisplays()).keepDesktopMode()) << "as the settings ask";

    DemoSettings defaults;
    std::vector<win::Display> unswitchable = oneDisplay({{1280, 720, 4}});
    unswitchable[0].switchesModes = false;
    SetupDialog wayland(defaults, unswitchable);
    EXPECT_EQ(wayland.resolution(), 0);
    EXPECT_TRUE(wayland.keepDesktopMode()) << "a display that switches no modes keeps its own";
}

} // namespace
} // namespace orb
