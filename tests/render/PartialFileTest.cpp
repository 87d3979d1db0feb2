#include "PartialFile.h"

#include "FrameSinks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace orb::render::test {
namespace {

using orb::test::readFile;
using orb::test::writeFile;

class PartialFileTest : public ::testing::Test
{
protected:
    orb::test::ScratchDirectory scratch_;
};

TEST_F(PartialFileTest, AKeptFileIsWholeUnderItsNameInPlaceOfTheOldOne)
{
    writeFile("frame.png", "old");
    auto partial = PartialFile::create("frame.png");
    ASSERT_TRUE(partial) << partial.failure().message();
    EXPECT_EQ(partial->path(), "frame.part.png") << "the extension kept, for tools that go by it";
    writeFile(partial->path(), "whole");
    EXPECT_EQ(readFile("frame.png"), "old") << "not before it is kept";
    EXPECT_FALSE(partial->keep());
    EXPECT_EQ(readFile("frame.png"), "whole");
    EXPECT_FALSE(std::filesystem::exists("frame.part.png"));
}

// A run that fails or is stopped drops its partial file unkept.
TEST_F(PartialFileTest, AFileNotKeptIsRemovedAndTheOneThatWasThereStays)
{
    writeFile("frame.png", "old");
    {
        auto partial = PartialFile::create("frame.png");
        ASSERT_TRUE(partial) << partial.failure().message();
        writeFile(partial->path(), "cut sh");
    }
    EXPECT_FALSE(std::filesystem::exists("frame.part.png"));
    EXPECT_EQ(readFile("frame.png"), "old");
}

TEST_F(PartialFileTest, AFileThatCannotBeNamedAsItselfIsRemoved)
{
    std::filesystem::create_directory("frame.png");
    auto partial = PartialFile::create("frame.png");
    ASSERT_TRUE(partial) << partial.failure().message();
    const app::Failure failure = partial->keep();
    EXPECT_EQ(failure.what, "cannot name frame.part.png frame.png");
    EXPECT_EQ(failure.why, "Is a directory");
    EXPECT_FALSE(std::filesystem::exists("frame.part.png"));
    EXPECT_TRUE(std::filesystem::is_directory("frame.png"));
}

// Another render's partial file, or one a killed render left: not ours to write over or remove.
TEST_F(PartialFileTest, LeavesAPartialFileItDidNotCreate)
{
    writeFile("frame.part.png", "theirs");
    {
        const auto partial = PartialFile::create("frame.png");
        ASSERT_FALSE(partial);
        EXPECT_EQ(partial.failure().what, "cannot create frame.part.png");
        EXPECT_NE(partial.failure().why.find("remove it to render again"), std::string::npos);
    }
    EXPECT_EQ(readFile("frame.part.png"), "theirs");
}

TEST_F(PartialFileTest, AFrameThatCannotBeWrittenLeavesNothingBehind)
{
    std::filesystem::create_directories("out/frame_000000.png");
    PngFrames frames("out");
    const std::vector<std::uint8_t> pixels(4 * 4 * 4, 200);
    const app::Failure failure = frames.write({4, 4, [&pixels] { return pixels.data(); }});
    EXPECT_EQ(failure.message(),
              "cannot name out/frame_000000.part.png out/frame_000000.png: Is a directory");
    EXPECT_FALSE(std::filesystem::exists("out/frame_000000.part.png"));
}

} // namespace
} // namespace orb::render::test
