// Feeds arbitrary bytes to the demo script's load and the demo's load, as the player would
// read them from Data\DemoScript.xml, then writes the script back and plays one frame.
// Built with clang only: cmake -DORB_FUZZ=ON (see scripts/fuzz).

#include "DemoSystem.h"
#include "LogFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Runs in a scratch directory that holds Data.qel as a directory, so files come from disk.
bool prepareDirectory()
{
    char pattern[] = "/tmp/orb-fuzz-XXXXXX";
    const char* directory = ::mkdtemp(pattern);
    if (directory == nullptr)
        std::abort();
    std::filesystem::current_path(directory);
    std::filesystem::create_directories("Data.qel");
    std::filesystem::create_directories("Data");
    orb::LogFile::instance().open("/dev/null");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool prepared = prepareDirectory();
    (void)prepared;
    std::ofstream("Data/DemoScript.xml", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    orb::win::SteppedCounter counter(1000);
    orb::DemoSystem demo(orb::Host::offscreen(counter));
    demo.fileSystem()->init("Data.qel");
    if (demo.loadScript("Data\\DemoScript.xml")) {
        demo.loadDemo();
        std::ostringstream written;
        demo.writeScript(written);
        const float time = 1.0f;
        demo.frame(0, &time);
    }
    return 0;
}
