#include "platform/win/DirectoryWatch.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace orb::win {
namespace {

class DirectoryWatchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory_ = std::filesystem::temp_directory_path() /
                     ("orb-watch-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(directory_);
        std::filesystem::create_directories(directory_);
    }
    void TearDown() override { std::filesystem::remove_all(directory_); }

    void write(const std::string& name, const std::string& text)
    {
        std::ofstream(directory_ / name, std::ios::binary) << text;
    }

    std::filesystem::path directory_;
};

TEST_F(DirectoryWatchTest, NamesAFileWrittenInPlaceOnceHoweverOftenItWasWritten)
{
    write("Scene2.fx", "old");
    std::string error;
    auto watch = DirectoryWatch::open(directory_.string(), &error);
    ASSERT_NE(watch, nullptr) << error;
    EXPECT_TRUE(watch->changedFiles().empty());
    write("Scene2.fx", "new");
    write("Scene2.fx", "newer");
    write("DemoScript.xml", "<demo/>");
    EXPECT_EQ(watch->changedFiles(), (std::vector<std::string>{"Scene2.fx", "DemoScript.xml"}));
    EXPECT_TRUE(watch->changedFiles().empty());
}

TEST_F(DirectoryWatchTest, NamesAFileAnEditorSavedBesideItAndRenamedOverIt)
{
    auto watch = DirectoryWatch::open(directory_.string(), nullptr);
    ASSERT_NE(watch, nullptr);
    write("Scene3.fx.tmp", "saved");
    watch->changedFiles();
    std::filesystem::rename(directory_ / "Scene3.fx.tmp", directory_ / "Scene3.fx");
    EXPECT_EQ(watch->changedFiles(), (std::vector<std::string>{"Scene3.fx"}));
}

TEST_F(DirectoryWatchTest, RefusesWhatIsNotADirectoryWithTheReason)
{
    write("file", "x");
    std::string error;
    EXPECT_EQ(DirectoryWatch::open((directory_ / "file").string(), &error), nullptr);
    EXPECT_NE(error.find("Not a directory"), std::string::npos) << error;
    EXPECT_EQ(DirectoryWatch::open((directory_ / "missing").string(), &error), nullptr);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

} // namespace
} // namespace orb::win
