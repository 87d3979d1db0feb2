// Feeds arbitrary bytes to the demo script's load and the demo's load, as the player would
// read them from Data\DemoScript.xml, then writes the script back and plays one frame.

#include "DemoSystem.h"
#include "FuzzSupport.h"

#include <filesystem>
#include <sstream>

namespace {

// Data.qel is a directory, so files come from disk.
bool prepareDirectory()
{
    orb::fuzz::enterScratchDirectory();
    std::filesystem::create_directories("Data.qel");
    std::filesystem::create_directories("Data");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool prepared = prepareDirectory();
    (void)prepared;
    orb::fuzz::writeFile("Data/DemoScript.xml", data, size);

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
