#include "FileSystem.h"
#include "ProgramSupport.h"
#include "TestSupport.h"

#include <fstream>
#include <zlib.h>

namespace orb::test {
namespace {

class QelpackTest : public LoggedTest
{
protected:
    QelpackTest()
    {
        writeFile("src/Data/DemoScript.xml", "<demo/>");
        writeFile("src/Data/Images/logo.png", std::string("\x89PNG\0\x01\x02", 7));
        writeFile("src/Data/empty.txt", "");
    }
};

TEST_F(QelpackTest, PacksADirectorySoThatTheEngineReadsEveryFileByteExact)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.init("Data.qel"));
    const auto files = fileSystem.files();
    ASSERT_EQ(files.size(), 3u);
    for (const auto& [name, path] : {std::pair{"Data\\DemoScript.xml", "src/Data/DemoScript.xml"},
                                     std::pair{"Data\\Images\\logo.png", "src/Data/Images/logo.png"}}) {
        ASSERT_TRUE(fileSystem.open(name));
        const std::string bytes = readFile(path);
        ASSERT_EQ(fileSystem.fileSize(name), bytes.size());
        EXPECT_EQ(std::string(fileSystem.fileData(name), bytes.size() + 1), bytes + '\0');
    }
    EXPECT_TRUE(fileSystem.open("Data\\empty.txt"));
}

TEST_F(QelpackTest, NamesEntriesAfterTheDirectoryHoweverItIsSpelt)
{
    const std::string expected = "         7  Data\\DemoScript.xml\n"
                                 "         7  Data\\Images\\logo.png\n"
                                 "         0  Data\\empty.txt\n";
    ASSERT_EQ(runProgram(Qelpack + " create slash.qel src/Data/").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " list slash.qel").output, expected);
    ASSERT_EQ(runProgram("(cd src/Data && " + Qelpack + " create ../../dot.qel .)").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " list dot.qel").output, expected);
    ASSERT_EQ(runProgram("(cd src/Data/Images && " + Qelpack + " create ../../../up.qel ..)").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " list up.qel").output, expected);
}

TEST_F(QelpackTest, RefusesADirectoryWithoutANameAsBadUsage)
{
    EXPECT_EQ(runProgram(Qelpack + " create root.qel /").status, 2);
    EXPECT_NE(readFile("stderr.txt").find("has no name"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("root.qel"));
}

TEST_F(QelpackTest, LeavesTheArchiveItWritesOutOfItself)
{
    ASSERT_EQ(runProgram(Qelpack + " create src/Data/Data.qel src/Data").status, 0);
    ASSERT_EQ(runProgram(Qelpack + " create src/Data/Data.qel src/Data").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " list src/Data/Data.qel").output.find("Data.qel"), std::string::npos);
}

TEST_F(QelpackTest, RefusesFilesBeyondTheFormatsThirtyTwoBitSizesBeforeReadingThem)
{
    // A sparse file: four gibibytes that take no room on disk, and would take that much memory.
    std::filesystem::create_directories("big/Data");
    {
        std::ofstream("big/Data/huge.bin");
    }
    std::filesystem::resize_file("big/Data/huge.bin", std::uint64_t{1} << 32);
    EXPECT_EQ(runProgram(Qelpack + " create big.qel big/Data").status, 1);
    EXPECT_NE(readFile("stderr.txt").find("4 GiB at most"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("big.qel"));
}

TEST_F(QelpackTest, WritesTheSameBytesForTheSameFiles)
{
    ASSERT_EQ(runProgram(Qelpack + " create one.qel src/Data").status, 0);
    std::filesystem::last_write_time("src/Data/DemoScript.xml",
                                     std::filesystem::file_time_type::clock::now());
    ASSERT_EQ(runProgram(Qelpack + " create two.qel src/Data").status, 0);
    EXPECT_EQ(readFile("one.qel"), readFile("two.qel"));
}

// The names in the order the archive stores them: the gzip payload after the 12-byte header
// holds, for each entry, its name's length and name, its size and bytes, and a zero.
std::vector<std::string> storedNames(const std::string& archive)
{
    writeFile("payload.gz", archive.substr(12));
    gzFile file = gzopen("payload.gz", "rb");
    std::string payload;
    char buffer[4096];
    for (int read; (read = gzread(file, buffer, sizeof buffer)) > 0;)
        payload.append(buffer, static_cast<std::size_t>(read));
    gzclose(file);
    const auto number = [&payload](std::size_t at) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(payload.at(at + static_cast<std::size_t>(i)));
        return value;
    };
    std::vector<std::string> names;
    for (std::size_t at = 0; at + 4 <= payload.size();) {
        const std::uint32_t length = number(at);
        names.push_back(payload.substr(at + 4, length));
        at += 4 + length;
        at += 4 + number(at) + 4;
    }
    return names;
}

TEST_F(QelpackTest, StoresItsEntriesInNameOrderWhateverOrderTheDirectoryListsThem)
{
    for (const char* name : {"zeta", "Beta", "alpha", "mu", "Omega", "delta", "kappa", "Images/a"})
        writeFile(std::string("src/Data/") + name, name);
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    EXPECT_EQ(storedNames(readFile("Data.qel")),
              (std::vector<std::string>{"Data\\Beta", "Data\\DemoScript.xml", "Data\\Images\\a",
                                        "Data\\Images\\logo.png", "Data\\Omega", "Data\\alpha", "Data\\delta",
                                        "Data\\empty.txt", "Data\\kappa", "Data\\mu", "Data\\zeta"}));
}

TEST_F(QelpackTest, ListsEntriesInNameOrderWithTheirSizes)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    const Result listing = runProgram(Qelpack + " list Data.qel");
    EXPECT_EQ(listing.status, 0);
    EXPECT_EQ(listing.output, "         7  Data\\DemoScript.xml\n"
                              "         7  Data\\Images\\logo.png\n"
                              "         0  Data\\empty.txt\n");
}

TEST_F(QelpackTest, CheckPassesAGoodArchiveAndFailsABadOneWithTheEnginesMessage)
{
    ASSERT_EQ(runProgram(Qelpack + " create Data.qel src/Data").status, 0);
    EXPECT_EQ(runProgram(Qelpack + " check Data.qel").output, "Data.qel: 3 files, 14 bytes: ok\n");

    std::string archive = readFile("Data.qel");
    archive[5] = 7;
    writeFile("Data.qel", archive);
    EXPECT_EQ(runProgram(Qelpack + " check Data.qel").status, 1);
    EXPECT_NE(readFile("stderr.txt").find("invalid file version 'Data.qel'"), std::string::npos);
}

TEST_F(QelpackTest, AnswersBadUsageWithTheUsageTextAndStatusTwo)
{
    for (const char* arguments : {"", " pack", " create out.qel", " list", " check a b"}) {
        EXPECT_EQ(runProgram(Qelpack + arguments).status, 2) << arguments;
        EXPECT_NE(readFile("stderr.txt").find("Usage: qelpack"), std::string::npos);
    }
}

TEST_F(QelpackTest, RefusesNamesTheFormatCannotHold)
{
    writeFile("long/" + std::string(251, 'x'), "");
    EXPECT_EQ(runProgram(Qelpack + " create long.qel long").status, 1);
    EXPECT_FALSE(std::filesystem::exists("long.qel"));
    EXPECT_EQ(runProgram(Qelpack + " create out.qel missing").status, 1);
}

} // namespace
} // namespace orb::test
