#include "ProgramSupport.h"
#include "TestSupport.h"

#include <algorithm>

namespace orb::test {
namespace {

TEST(Player, InAnEmptyDirectoryExitsZeroAndLogsTheMissingArchiveAndAFullShutdown)
{
    ScratchDirectory scratch;
    // Without a display the setup dialog cannot be shown and the defaults count as confirmed.
    EXPECT_EQ(runProgram("env -u DISPLAY -u WAYLAND_DISPLAY " + Player).status, 0);
    std::vector<std::string> lines = readLines("Orb.log");
    std::transform(lines.begin(), lines.end(), lines.begin(), withoutSource);
    EXPECT_EQ(lines, withDemoShutdown({
                         "ORB_INFO: DemoSystem Init ...",
                         "ORB_INFO: FileSystem Init ... (Data.qel)",
                         "ORB_ERROR: invalid file 'Data.qel'",
                         "ORB_ERROR: failed to init filesystem. aborting ...",
                     }));
}

} // namespace
} // namespace orb::test
