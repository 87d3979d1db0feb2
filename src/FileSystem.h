#pragma once

// FileSystem -- the production's data files by name, from the archive "Data.qel" or from disk.
//
// Archive mode: init checks the header, inflates the whole payload once into one block and
// indexes its entries; files are then served from the block without copying.
// Directory mode (the path is a directory, or before init): each file is read from disk under
// its own name, relative to the working directory, when it is opened. initDirectory names the
// directory that stands for "Data" instead, wherever it is and whatever it is called.
// Either way a file's bytes are followed by a zero byte, so text can be used as it is.
//
//   fileSystem.open("Data\\DemoScript.xml");
//   std::uint32_t size = fileSystem.fileSize("Data\\DemoScript.xml");
//   const char* text = fileSystem.fileData("Data\\DemoScript.xml");
//   ...
//   fileSystem.close("Data\\DemoScript.xml");

#include "platform/win/LargeBlock.h"

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

class FileSystem
{
public:
    FileSystem() = default;
    ~FileSystem();
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    bool init(const std::string& path);
    // Directory mode with "Data\X" read from `directory`/X; false when it is not a directory.
    bool initDirectory(const std::string& directory);

    bool open(const std::string& name);
    std::uint32_t fileSize(const std::string& name);
    const char* fileData(const std::string& name);
    void close(const std::string& name);

    struct FileInfo
    {
        std::string name;
        std::uint32_t size;
    };

    // The files that can be read now without touching the disk, in name order.
    std::vector<FileInfo> files() const;

private:
    struct IndexEntry
    {
        const char* data = nullptr;
        std::uint32_t size = 0;
        std::unique_ptr<char[]> owned; // directory mode: the file's bytes and a zero byte
    };

    bool loadArchive(const std::string& path);
    bool indexArchive(const std::string& path);
    void clear();
    // Directory mode: the named file on disk, read from its end; not open when it is no file.
    std::ifstream openOnDisk(const std::string& name) const;

    bool directoryMode_ = true;
    std::string dataDirectory_; // stands for "Data"; empty: names are relative to the working directory
    win::LargeBlock archiveBlock_;
    std::uint32_t payloadSize_ = 0;
    std::map<std::string, IndexEntry, std::less<>> index_;
};

} // namespace orb
