// orb-preview -- the production played from a directory for its authors, with what they save
// shown as they save it. Logs to standard output.

#include "LogFile.h"
#include "Preview.h"
#include "platform/win/QuitRequests.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

const char* const Usage = R"(Usage: orb-preview [DIR]

Plays the production from the directory DIR (by default the build's own, production/Data beside
its bin directory; run from an installed tree, a copy of the installed production made once in
$XDG_STATE_HOME/orb/preview/Data, else ~/.local/state/orb/preview/Data) in a 1280 x 720 window, looping, and shows what is saved there as it is saved:
an effect (.fx) is compiled again and swapped in, and the script, an image, the mesh or the music
reloads the demo at the same time. A compile error keeps the old effect and is shown with its line.

Under the picture the timeline shows the scenes, the bars (every fourth numbered) and the
music's waveform; on the right the values the frame's effects were given, on the left what
each pass of the frame costs (the median of the last second) against 16.7 ms.

Mouse on the timeline:
  click               go there
  drag                scrub: the picture follows and a short grain of the music is heard
                      wherever the pointer passes; the music plays on when let go
  wheel               zoom in or out around the pointer

Keys:
  Space               pause or resume, the music with the picture
  Left, Right         one bar back or on
  Comma, Period       pause and step one frame (1/60 s) back or on; the beat the picture
                      then stands in is heard
  Page Up, Page Down  the previous or the next scene
  Home                back to the start
  L                   mark the start of a loop, then its end; a third press loops the whole demo
  Tab                 hide or show the timeline, panels and status (errors stay)
  F                   full screen or back to the window
  Escape              quit

Options:
  --help              this text

The log goes to standard output, with a line for every seek, such as
  seek to 118.26 s (bar 68, Scene6)

Exit status: 0 after Escape or a closed window, 1 when the demo cannot be shown (the log says
why), 2 on bad usage.
)";

namespace fs = std::filesystem;

// The user's own place for the production's files: $XDG_STATE_HOME/orb, else ~/.local/state/orb.
fs::path stateDirectory()
{
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return fs::path(state) / "orb";
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : ".") / ".local" / "state" / "orb";
}

// An installed production is previewed through a copy of the user's own, made once, so that
// what an author saves never goes to the installed files; the copy is used as it is afterwards.
fs::path writableCopyOf(const fs::path& installed)
{
    const fs::path copy = stateDirectory() / "preview" / "Data";
    std::error_code failure;
    if (fs::is_directory(copy, failure)) {
        std::cerr << "orb-preview: previewing your copy of " << installed.string() << " in " << copy.string()
                  << " (remove it to start again from the installed one)\n";
        return copy;
    }
    fs::create_directories(copy.parent_path(), failure);
    if (!failure)
        fs::copy(installed, copy, fs::copy_options::recursive, failure);
    if (failure) {
        std::cerr << "orb-preview: cannot copy " << installed.string() << " to " << copy.string() << ": "
                  << failure.message() << "; previewing the installed files, which cannot be saved\n";
        return installed;
    }
    std::cerr << "orb-preview: copied " << installed.string() << " to " << copy.string()
              << "; edit the files there\n";
    return copy;
}

// The build's production, production/Data beside the program's bin directory; run from an
// installed tree, a writable copy of the installed one.
std::string defaultDirectory()
{
    std::error_code failure;
    const fs::path program = fs::read_symlink("/proc/self/exe", failure);
    const fs::path built = program.parent_path().parent_path() / "production" / "Data";
    const fs::path installed = (program.parent_path() / ORB_DATA_FROM_BIN / "Data").lexically_normal();
    if (fs::is_directory(built, failure) || !fs::is_directory(installed, failure))
        return built.string();
    return writableCopyOf(installed).string();
}

// The sound card, or silence when there is none: a preview without sound still previews.
std::unique_ptr<orb::audio::Output> openDeviceOrSilence(orb::audio::Mixer& mixer, std::string* error)
{
    if (std::unique_ptr<orb::audio::Output> device = orb::audio::openDeviceOutput(mixer, error))
        return device;
    ORB_ERROR_WITH_DETAIL("no sound device: previewing without sound", (error != nullptr ? *error : ""));
    return orb::audio::openSilentOutput(mixer);
}

// Until Escape, the window's close box, a quit signal or a lost display.
void run(orb::preview::Preview& preview)
{
    orb::win::MessageQueue queue;
    while (orb::preview::takeMessages(queue, preview))
        preview.frame();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view argument = argc > 1 ? argv[1] : "";
    if (argument == "--help") {
        std::cout << Usage;
        return 0;
    }
    if (argc > 2 || argument.starts_with('-')) {
        std::cerr << "orb-preview: bad arguments\n\n" << Usage;
        return 2;
    }
    orb::win::catchQuitSignals();
    orb::Host host = orb::Host::player();
    host.dataDirectory = argc > 1 ? std::string(argument) : defaultDirectory();
    host.soundLibrary.openDevice = openDeviceOrSilence;
    orb::preview::Preview preview(host, 1280, 720);
    if (!preview.start())
        return 1;
    run(preview);
    return 0;
}
