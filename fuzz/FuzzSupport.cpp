#include "FuzzSupport.h"

#include "LogFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace orb::fuzz {

void enterScratchDirectory()
{
    char pattern[] = "/tmp/orb-fuzz-XXXXXX";
    const char* directory = ::mkdtemp(pattern);
    if (directory == nullptr)
        std::abort();
    std::filesystem::current_path(directory);
    LogFile::instance().open("/dev/null");
}

void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace orb::fuzz
