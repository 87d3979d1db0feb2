#include "RenderOptions.h"

#include "OutputPlan.h"

#include <gtest/gtest.h>
#include <sstream>

namespace orb::render::test {
namespace {

std::vector<std::string> words(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> result;
    for (std::string word; stream >> word;)
        result.push_back(word);
    return result;
}

// The reason a command line is refused, by the parser or by the plan; empty when it is taken.
std::string refusal(const std::string& line)
{
    const app::Result<RenderOptions> options = parseOptions(words(line));
    return (options ? planOutput(*options).failure() : options.failure()).message();
}

// Each command line is refused with a reason that holds its text.
void expectRefusals(std::initializer_list<std::pair<const char*, const char*>> refused)
{
    for (const auto& [line, reason] : refused)
        EXPECT_NE(refusal(line).find(reason), std::string::npos) << line << ": " << refusal(line);
}

TEST(RenderOptions, RefusesBadValuesNamingTheOption)
{
    expectRefusals({
        {"--fps", "--fps"},
        {"--fps 0", "--fps"},
        {"--fps 1001", "--fps"},
        {"--width -3", "--width"},
        {"--height 1.5", "--height"},
        {"--multisample 17", "--multisample"},
        {"--start -1", "--start"},
        {"--at 1,x", "--at"},
        {"--at ,", "--at"},
        {"--from-picture -1", "--from-picture"},
        {"--to-picture 2x", "--to-picture"},
        {"--bogus", "'--bogus'"},
    });
}

TEST(RenderOptions, RefusesRangesThatCannotBeRendered)
{
    expectRefusals({
        {"--start 2 --end 1", "--end comes before --start"},
        {"--from-picture 3 --to-picture 2", "--to-picture comes before --from-picture"},
        {"--from-picture 5 --start 1", "go without --start"},
        {"--to-picture 5 --loop", "go without --start"},
        {"--from-picture 5 --at 1", "go without --start"},
    });
    EXPECT_EQ(refusal("--from-picture 7 --to-picture 7 --video one.mp4"), "") << "one picture is a range";
}

TEST(RenderOptions, RefusesOutputsThatDoNotGoTogether)
{
    expectRefusals({
        {"--frames f --video v.mp4", "--frames and --video go one at a time"},
        {"--frames f --join p.mp4", "--join goes with --video"},
        {"--join p.mp4", "--join goes with --video"},
        {"--join p.mp4 --video v.mp4 --at 1", "--join joins numbered pictures"},
        {"--join p.mp4 --video v.mp4 --loop", "--join joins numbered pictures"},
        {"--join p.mp4 --video v.mp4 --start 1", "--join joins numbered pictures"},
        {"--join p.mp4 --video v.mp4 --end 9", "--join joins numbered pictures"},
        {"--last-picture --frames f", "--last-picture renders nothing"},
        {"--last-picture --video v.mp4", "--last-picture renders nothing"},
        {"--last-picture --stats", "--last-picture renders nothing"},
        {"--last-picture --at 3", "--last-picture renders nothing"},
        {"--last-picture --to-picture 3", "--last-picture renders nothing"},
        {"--video v.avi", "ends in .mp4"},
        {"--video v.mp4 --width 65 --height 36", "even --width and --height"},
        {"--video v.mp4 --width 20000 --height 20000", "the video encoder refuses 20000 x 20000"},
        {"--chapters c.txt --frames f", "--chapters goes with --video"},
        {"--poster 1", "--poster goes with --video"},
        {"--video v.mp4 --chapters c.txt --at 1", "--chapters marks the scenes along the demo"},
        {"--video v.mp4 --chapters c.txt --loop", "--chapters marks the scenes along the demo"},
        {"--last-picture --poster 1", "--last-picture renders nothing"},
        {"--preset nonesuch", "unknown preset 'nonesuch'"},
    });
    EXPECT_EQ(refusal("--last-picture --preset party"), "");
    EXPECT_EQ(refusal("--preset master --video m.mkv --width 65 --height 37"), "") << "RGB: any size";
    EXPECT_EQ(refusal("--last-picture --fps 30 --width 64 --height 36 --data D"), "");
}

// A preset sets what is not given beside it, before or after it on the line.
TEST(RenderOptions, APresetSetsWhatIsNotGivenBesideIt)
{
    const RenderOptions draft = *parseOptions(words("--width 320 --preset draft"));
    EXPECT_EQ(draft.width, 320);
    EXPECT_EQ(draft.height, 360);
    EXPECT_EQ(draft.fps, 30.0);
    EXPECT_EQ(draft.encoding().pictures.profile, "main");
    const RenderOptions web = *parseOptions(words("--preset web-1080p60 --fps 50"));
    EXPECT_EQ(web.width, 1920);
    EXPECT_EQ(web.fps, 50.0);
    const RenderOptions plain = *parseOptions(words("--fps 25"));
    EXPECT_EQ(plain.width, 1280);
    EXPECT_EQ(plain.encoding().pictures.speed, "superfast");
}

// A join draws its pictures only to keep time; a video of chosen times has no soundtrack.
TEST(OutputPlan, GivesEachOutputThePicturesAndSoundItNeeds)
{
    const auto plan = [](const std::string& line) {
        return *planOutput(*parseOptions(words(line + " --width 320 --height 180")));
    };
    EXPECT_EQ(plan("--frames f").needs.layout, gfx::PixelLayout::Bgra);
    EXPECT_EQ(plan("--video v.mp4").needs.layout, gfx::PixelLayout::Planar420);
    EXPECT_TRUE(plan("--video v.mp4").sound);
    EXPECT_FALSE(plan("--video v.mp4 --at 4").sound);
    const OutputPlan join = plan("--video v.mp4 --join a.mp4,b.mp4");
    EXPECT_EQ(join.output, Output::JoinedVideo);
    EXPECT_TRUE(join.sound);
    EXPECT_LT(join.width * join.height, 320 * 180);
    EXPECT_EQ(plan("--stats").output, Output::Timings);
    const OutputPlan master = plan("--preset master --video m.mkv");
    EXPECT_EQ(master.needs.layout, gfx::PixelLayout::Bgra) << "the frame's own colours";
    EXPECT_FALSE(master.needs.pipelined) << "read in the present";
}

} // namespace
} // namespace orb::render::test
