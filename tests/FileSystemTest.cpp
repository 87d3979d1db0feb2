#include "FileSystem.h"

#include "ArchiveWriter.h"
#include "TestSupport.h"

#include <cstring>
#include <random>

namespace orb::test {
namespace {

using qel::ArchiveEntry;

std::string dataOf(FileSystem& fileSystem, const std::string& name)
{
    const char* data = fileSystem.fileData(name);
    return data != nullptr ? std::string(data, fileSystem.fileSize(name)) : std::string();
}

class DirectoryModeTest : public LoggedTest
{
};

TEST_F(DirectoryModeTest, ADirectoryNamedDataQelServesFilesFromTheWorkingDirectory)
{
    std::filesystem::create_directory("Data.qel");
    writeFile("Data/Scene2.fx", "technique");
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.init("Data.qel"));
    ASSERT_TRUE(fileSystem.open("Data\\Scene2.fx"));

    EXPECT_EQ(fileSystem.fileSize("Data\\Scene2.fx"), 9u);
    const char* data = fileSystem.fileData("Data\\Scene2.fx");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data), "technique");
    EXPECT_EQ(log(), (std::vector<std::string>{"ORB_INFO: FileSystem Init ... (Data.qel)",
                                               "ORB_INFO: FileSystem Init Done"}));
}

TEST_F(DirectoryModeTest, ADirectoryOfAnyNameAnywhereCanStandForData)
{
    writeFile("work/Assets/Scene2.fx", "technique");
    writeFile("Data/Scene2.fx", "elsewhere");
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.initDirectory("work/Assets"));
    ASSERT_TRUE(fileSystem.open("Data\\Scene2.fx"));
    EXPECT_EQ(dataOf(fileSystem, "Data\\Scene2.fx"), "technique");
    EXPECT_EQ(fileSystem.fileSize("Data\\Missing.fx"), 0u);

    EXPECT_FALSE(fileSystem.initDirectory("work/Assets/Scene2.fx"));
    EXPECT_FALSE(fileSystem.initDirectory("nowhere"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid directory 'work/Assets/Scene2.fx'"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid directory 'nowhere'"));
}

TEST_F(DirectoryModeTest, ServesOnlyOpenedFilesUntilTheyAreClosed)
{
    writeFile("Data/a.txt", "a");
    FileSystem fileSystem; // directory mode before init
    EXPECT_EQ(fileSystem.fileData("Data\\a.txt"), nullptr);
    EXPECT_TRUE(logged("ORB_ERROR: failed retrieving file data 'Data\\a.txt'"));

    ASSERT_TRUE(fileSystem.open("Data\\a.txt"));
    EXPECT_EQ(std::memcmp(fileSystem.fileData("Data\\a.txt"), "a", 2), 0);
    fileSystem.close("Data\\a.txt");
    EXPECT_EQ(fileSystem.fileData("Data\\a.txt"), nullptr);
}

TEST_F(DirectoryModeTest, AnOpenedFileKeepsTheSizeOfTheBytesItWasReadWithWhenTheDiskCopyGrows)
{
    writeFile("Data/music.mp3", "short");
    FileSystem fileSystem;
    ASSERT_TRUE(fileSystem.open("Data\\music.mp3"));
    writeFile("Data/music.mp3", std::string(100000, 'x'));
    EXPECT_EQ(fileSystem.fileSize("Data\\music.mp3"), 5u);
    EXPECT_EQ(dataOf(fileSystem, "Data\\music.mp3"), "short");
    fileSystem.close("Data\\music.mp3");
    EXPECT_EQ(fileSystem.fileSize("Data\\music.mp3"), 100000u) << "closed files are measured on disk";
}

TEST_F(DirectoryModeTest, ReportsMissingFilesDirectoriesAndEmptyFiles)
{
    writeFile("Data/empty.txt", "");
    std::filesystem::create_directory("Data/folder");
    FileSystem fileSystem;

    EXPECT_FALSE(fileSystem.open("Data\\missing.txt"));
    EXPECT_FALSE(fileSystem.open("Data\\folder"));
    EXPECT_EQ(fileSystem.fileSize("Data\\empty.txt"), 0u);
    EXPECT_EQ(fileSystem.fileSize("Data\\missing.txt"), 0u);
    EXPECT_EQ(log(),
              (std::vector<std::string>{"ORB_ERROR: failed opening file 'Data\\missing.txt'",
                                        "ORB_ERROR: failed opening file 'Data\\folder'",
                                        "ORB_ERROR: failed retrieving file size 'Data\\empty.txt'",
                                        "ORB_ERROR: failed retrieving file size 'Data\\missing.txt'"}));
}

TEST_F(DirectoryModeTest, AMissingPathIsAnInvalidFile)
{
    FileSystem fileSystem;
    EXPECT_FALSE(fileSystem.init("Data.qel"));
    EXPECT_TRUE(logged("ORB_ERROR: invalid file 'Data.qel'"));
}

class ArchiveTest : public LoggedTest
{
protected:
    void writeArchive(std::string_view payload, std::uint32_t declaredSize)
    {
        writeFile("Data.qel", *qel::makeArchive(payload, declaredSize));
    }
    void writeArchive(std::string_view payload) { writeFile("Data.qel", *qel::makeArchive(payload)); }

    // init fails with the one error line `message` (its quoted path appended).
    void expectRefused(const std::string& message)
    {
        EXPECT_FALSE(fileSystem_.init("Data.qel"));
        const std::vector<std::string> lines = log();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "ORB_ERROR: " + message + "'Data.qel'");
    }

    FileSystem fileSystem_;
};

TEST_F(ArchiveTest, ServesEveryFileByteExactFollowedByAZeroByte)
{
    std::string binary(300, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7);
    writeArchive(qel::packEntries({{"Data\\DemoScript.xml", "<demo/>"}, {"Data\\image.png", binary}}));
    ASSERT_TRUE(fileSystem_.init("Data.qel"));

    for (const auto& [name, bytes] :
         {std::pair{"Data\\DemoScript.xml", std::string("<demo/>")}, std::pair{"Data\\image.png", binary}}) {
        ASSERT_TRUE(fileSystem_.open(name));
        ASSERT_EQ(fileSystem_.fileSize(name), bytes.size());
        EXPECT_EQ(dataOf(fileSystem_, name), bytes);
        EXPECT_EQ(fileSystem_.fileData(name)[bytes.size()], '\0');
        fileSystem_.close(name);
        EXPECT_EQ(dataOf(fileSystem_, name), bytes) << "close keeps archive data readable";
    }
}

TEST_F(ArchiveTest, AnEmptyPayloadIsAValidArchiveWithoutFiles)
{
    writeArchive("");
    EXPECT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_TRUE(fileSystem_.files().empty());
    EXPECT_FALSE(fileSystem_.open("Data\\Scene2.fx"));
    EXPECT_TRUE(logged("ORB_ERROR: failed opening file 'Data\\Scene2.fx'"));
}

TEST_F(ArchiveTest, ServesTheLaterOfTwoEntriesWithOneName)
{
    writeArchive(qel::packEntries({{"Data\\a.fx", "first"}, {"Data\\a.fx", "second"}}));
    ASSERT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_EQ(dataOf(fileSystem_, "Data\\a.fx"), "second");
}

TEST_F(ArchiveTest, LooksNamesUpExactly)
{
    writeArchive(qel::packEntries({{"Data\\Scene2.fx", "x"}}));
    ASSERT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_FALSE(fileSystem_.open("data\\scene2.fx"));
    EXPECT_FALSE(fileSystem_.open("Data/Scene2.fx"));
    EXPECT_EQ(fileSystem_.fileSize("Data/Scene2.fx"), 0u);
    EXPECT_TRUE(fileSystem_.open("Data\\Scene2.fx"));
}

TEST_F(ArchiveTest, ANameEndsAtItsFirstZeroByte)
{
    writeArchive(qel::packEntries({{std::string("Data\\a\0junk", 11), "x"}}));
    ASSERT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_EQ(dataOf(fileSystem_, "Data\\a"), "x");
}

TEST_F(ArchiveTest, SurvivesArbitraryPayloads)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string payload(random() % 64, '\0');
        for (char& byte : payload)
            byte = static_cast<char>(random() % 4 == 0 ? random() : random() % 3);
        writeArchive(payload);
        FileSystem fileSystem;
        if (fileSystem.init("Data.qel")) {
            for (const auto& file : fileSystem.files())
                EXPECT_EQ(fileSystem.fileData(file.name)[file.size], '\0');
        }
    }
}

TEST_F(ArchiveTest, AcceptsA255ByteNameAndRefusesA256ByteOneKeepingEarlierEntries)
{
    const std::string longest(255, 'n');
    writeArchive(qel::packEntries({{longest, "ok"}, {std::string(256, 'n'), "too long"}}));
    expectRefused("data error in decrunched file. archive is corrupt ");
    EXPECT_EQ(dataOf(fileSystem_, longest), "ok");
}

TEST_F(ArchiveTest, RefusesAnEntryThatRunsPastThePayload)
{
    const std::string payload = qel::packEntries({{"Data\\a", "0123456789"}});
    writeArchive(payload.substr(0, payload.size() - 6)); // data cut short, trailer gone
    expectRefused("data error in decrunched file. archive is corrupt ");
}

TEST_F(ArchiveTest, RefusesAnEntryWithoutItsZeroTrailer)
{
    std::string payload = qel::packEntries({{"Data\\a", "text"}});
    payload.back() = 'x';
    writeArchive(payload);
    expectRefused("data error in decrunched file. archive is corrupt ");
}

TEST_F(ArchiveTest, RefusesAPayloadSizeTheDataDoesNotReach)
{
    const std::string payload = qel::packEntries({{"Data\\a", "text"}});
    writeArchive(payload, static_cast<std::uint32_t>(payload.size() + 1));
    expectRefused("failed decrunching file. archive is corrupt");
}

TEST_F(ArchiveTest, RefusesPayloadSizesNoCompressedDataCouldHaveWithoutAllocating)
{
    for (const std::uint32_t lie : {0xFFFFFFFFu, 0xFFFFFC00u, 0x7FFFFFFFu}) {
        writeArchive(qel::packEntries({{"Data\\a", "text"}}), lie);
        expectRefused("failed decrunching file. archive is corrupt");
    }
}

TEST_F(ArchiveTest, RefusesCorruptDeflateData)
{
    std::string archive = *qel::makeArchive(qel::packEntries({{"Data\\a", std::string(4000, 'a') + "tail"}}));
    for (std::size_t i = 24; i < archive.size() - 8; ++i)
        archive[i] = static_cast<char>(archive[i] ^ 0x5A);
    writeFile("Data.qel", archive);
    expectRefused("failed decrunching file. archive is corrupt");
}

TEST_F(ArchiveTest, RefusesDataWhoseCheckValueOrLengthDisagreesWithIt)
{
    const std::string payload = qel::packEntries({{"Data\\a", "text"}});
    const std::string archive = *qel::makeArchive(payload);
    // The member's trailer: its CRC-32, then its length.
    for (const std::size_t fromEnd : {8u, 5u, 4u, 1u}) {
        std::string damaged = archive;
        damaged[damaged.size() - fromEnd] = static_cast<char>(damaged[damaged.size() - fromEnd] ^ 0x01);
        writeFile("Data.qel", damaged);
        expectRefused("failed decrunching file. archive is corrupt");
    }
    writeArchive(payload, static_cast<std::uint32_t>(payload.size() - 1)); // the data goes on past it
    expectRefused("failed decrunching file. archive is corrupt");
}

// The production's own archive, as a viewer's download might break it.
class ProductionArchiveTest : public ArchiveTest
{
protected:
    ProductionArchiveTest() : archive_(readFile(ORB_PRODUCTION_ARCHIVE)) {}

    void expectRefusedAll(const std::vector<std::size_t>& offsets,
                          std::string (*damage)(std::string, std::size_t))
    {
        for (const std::size_t offset : offsets) {
            writeFile("Data.qel", damage(archive_, offset));
            EXPECT_FALSE(fileSystem_.init("Data.qel")) << "damaged at " << offset;
            const std::vector<std::string> lines = log();
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back().rfind("ORB_ERROR: ", 0), 0u) << lines.back();
        }
    }

    // Offsets spread over the whole file, and the last bytes, where the trailer is.
    std::vector<std::size_t> offsets(std::size_t from) const
    {
        std::vector<std::size_t> spread;
        for (std::size_t i = 0; i < 40; ++i)
            spread.push_back(from + (archive_.size() - from) * i / 40);
        for (std::size_t back = 1; back <= 8; ++back)
            spread.push_back(archive_.size() - back);
        return spread;
    }

    std::string archive_;
};

TEST_F(ProductionArchiveTest, IsReadWhole)
{
    writeFile("Data.qel", archive_);
    ASSERT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_TRUE(fileSystem_.open("Data\\DemoScript.xml"));
}

TEST_F(ProductionArchiveTest, RefusesItCutShortAnywhere)
{
    expectRefusedAll(offsets(0), [](std::string bytes, std::size_t at) { return bytes.substr(0, at); });
}

TEST_F(ProductionArchiveTest, RefusesItWithAnyByteOfItsCompressedDataFlipped)
{
    constexpr std::size_t Header = 12 + 10; // the archive's header and the gzip member's
    expectRefusedAll(offsets(Header), [](std::string bytes, std::size_t at) {
        bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
        return bytes;
    });
}

TEST_F(ProductionArchiveTest, RefusesItWhenItsPayloadSizeLies)
{
    const std::uint32_t size = static_cast<std::uint32_t>(static_cast<unsigned char>(archive_[8])) |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(archive_[9])) << 8 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(archive_[10])) << 16 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(archive_[11])) << 24;
    for (const std::uint32_t lie : {size - 1, size + 1, size / 2, 0u}) {
        std::string lying = archive_;
        for (int i = 0; i < 4; ++i)
            lying[8 + i] = static_cast<char>(lie >> (8 * i));
        writeFile("Data.qel", lying);
        expectRefused("failed decrunching file. archive is corrupt");
    }
}

TEST_F(ArchiveTest, RefusesTruncatedFilesAndForeignHeaders)
{
    const std::string archive = *qel::makeArchive(qel::packEntries({{"Data\\a", "text"}}));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "invalid file header "},
        {archive.substr(0, 3), "invalid file header "},
        {"Qela" + archive.substr(4), "invalid file header "},
        {"qelb" + archive.substr(4), "invalid file header "},
        {archive.substr(0, 6), "invalid file version "},
        {archive.substr(0, 4) + std::string("\x02\x00\x01\x00", 4) + archive.substr(8),
         "invalid file version "},
        {archive.substr(0, 10), "failed decrunching file. archive is corrupt"},
        {archive.substr(0, archive.size() - 12), "failed decrunching file. archive is corrupt"},
    };
    for (const auto& [bytes, message] : cases) {
        writeFile("Data.qel", bytes);
        expectRefused(message);
    }
}

TEST_F(ArchiveTest, ReadsConcatenatedGzipMembersAsOnePayload)
{
    const std::string payload = qel::packEntries({{"Data\\a", "first"}, {"Data\\b", "second"}});
    const std::size_t split = payload.size() / 2;
    const std::string first = *qel::makeArchive(payload.substr(0, split));
    const std::string second = *qel::makeArchive(payload.substr(split));
    std::string archive = first;
    archive.replace(8, 4, qel::makeArchive("", static_cast<std::uint32_t>(payload.size()))->substr(8, 4));
    writeFile("Data.qel", archive + second.substr(12));
    ASSERT_TRUE(fileSystem_.init("Data.qel"));
    EXPECT_EQ(dataOf(fileSystem_, "Data\\b"), "second");
}

TEST_F(ArchiveTest, LogsItsShutdown)
{
    writeArchive(qel::packEntries({{"Data\\a", "archived"}}));
    {
        FileSystem fileSystem;
        ASSERT_TRUE(fileSystem.init("Data.qel"));
    }
    const std::vector<std::string> lines = log();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "ORB_INFO: FileSystem Shutdown ...");
    EXPECT_EQ(lines.back(), "ORB_INFO: FileSystem Shutdown Done");
}

} // namespace
} // namespace orb::test
