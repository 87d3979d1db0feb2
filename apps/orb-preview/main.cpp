// orb-preview -- the production played from a directory for its authors, with what they save
// shown as they save it. Logs to standard output.

#include "Application.h"
#include "LogFile.h"
#include "Preview.h"
#include "platform/win/QuitRequests.h"

#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

const char* const Usage = R"(usage: orb-preview [DIR]

Plays the production from the directory DIR (by default the build's own, production/Data beside
its bin directory) in a 1280 x 720 window, looping, and shows what is saved there as it is saved:
an effect (.fx) is compiled again and swapped in, and the script, an image, the mesh or the music
reloads the demo at the same time. A compile error keeps the old effect and is shown with its line.

  Space              pause or resume, the music with the picture
  Left, Right        one bar back or on
  Page Up, Page Down the previous or the next scene
  Home               back to the start
  F                  full screen or back to the window
  Escape             quit

The log goes to standard output. Exit status: 0 after Escape or a closed window, 1 when the demo
cannot be shown (the log says why), 2 on bad usage.
)";

std::string defaultDirectory()
{
    std::error_code failure;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failure);
    return (program.parent_path().parent_path() / "production" / "Data").string();
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
    for (;;) {
        orb::win::Message message;
        if (!queue.peek(message)) {
            preview.frame();
            continue;
        }
        if (orb::Application::endsTheLoop(message) || message.kind == orb::win::MessageKind::CloseRequest)
            return;
        if (message.kind == orb::win::MessageKind::KeyDown) {
            if (message.key == orb::win::KeyEscape)
                return;
            preview.press(message.key);
        }
    }
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
