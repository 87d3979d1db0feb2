#include "LogFile.h"

#include "TestSupport.h"

#include <cstdint>
#include <sstream>

namespace orb::test {
namespace {

using LogFileTest = LoggedTest;

TEST_F(LogFileTest, ErrorLinesNameTheReportingSourceAndLine)
{
    const std::uint32_t stream = 5;
    const int line = __LINE__ + 1;
    ORB_ERROR("invalid stream id '" << stream << "'");

    const std::vector<std::string> lines = readLines("Orb.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "ORB_ERROR: (tests/LogFileTest.cpp," + std::to_string(line) + ") invalid stream id '5'");
}

TEST_F(LogFileTest, EveryLineIsInTheFileAsSoonAsItIsWritten)
{
    ORB_INFO("DemoSystem Init ...");
    EXPECT_EQ(readFile("Orb.log"), "ORB_INFO: DemoSystem Init ...\n");
    ORB_ERROR_WITH_DETAIL("CreateEffect failed for "
                              << "Data\\Scene2.fx",
                          "line 3: syntax error");
    EXPECT_EQ(log(), (std::vector<std::string>{"ORB_INFO: DemoSystem Init ...",
                                               "ORB_ERROR: CreateEffect failed for Data\\Scene2.fx",
                                               "\tline 3: syntax error"}));
}

TEST_F(LogFileTest, ReopeningTruncatesTheNewFileAndRedirectsStandardOutput)
{
    ORB_INFO("first file");
    writeFile("second.log", "old contents\n");
    LogFile::instance().open("second.log");
    std::cout << "plain output" << std::endl;
    ORB_INFO("second file");

    EXPECT_EQ(readFile("Orb.log"), "ORB_INFO: first file\n");
    EXPECT_EQ(readFile("second.log"), "plain output\nORB_INFO: second file\n");
}

TEST_F(LogFileTest, ClosingGivesStandardOutputItsOwnBufferBack)
{
    std::streambuf* const fileBuffer = std::cout.rdbuf();
    LogFile::instance().close();
    EXPECT_NE(std::cout.rdbuf(), fileBuffer);
    std::cout << "not logged" << std::endl;
    EXPECT_EQ(readFile("Orb.log"), "");
}

TEST(LogValueFormat, PrintsPointersAsEightUpperCaseHexDigitsOrMore)
{
    std::ostringstream line;
    line << PointerFormat{0} << ',' << PointerFormat{0xabc} << ',' << PointerFormat{0x123456789a} << ','
         << 42;
    EXPECT_EQ(line.str(), "00000000,00000ABC,123456789A,42");
}

} // namespace
} // namespace orb::test
