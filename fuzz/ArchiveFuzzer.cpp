// Feeds arbitrary bytes to the archive reader as the player opens Data.qel, then reads every
// file it lists the way the engine's readers do: its bytes and the zero byte after them.

#include "FileSystem.h"
#include "FuzzSupport.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool prepared = (orb::fuzz::enterScratchDirectory(), true);
    (void)prepared;
    orb::fuzz::writeFile("Data.qel", data, size);

    orb::FileSystem files;
    if (!files.init("Data.qel"))
        return 0;
    for (const orb::FileSystem::FileInfo& file : files.files()) {
        if (!files.open(file.name))
            std::abort();
        const char* bytes = files.fileData(file.name);
        // The copy makes the address sanitizer check every byte, terminator included.
        const std::string copy = bytes != nullptr ? std::string(bytes, file.size + std::size_t{1}) : "";
        if (copy.empty() || copy.back() != '\0' || (file.size != 0 && files.fileSize(file.name) != file.size))
            std::abort();
        files.close(file.name);
    }
    return 0;
}
