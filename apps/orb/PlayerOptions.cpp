#include "PlayerOptions.h"

#include "ParseNumber.h"

namespace orb::player {

const char* const Usage = R"(Usage: orb [options]

Plays the demo in the working directory (Data.qel in, Orb.log out), after a setup dialog that
offers the display, the resolution, the aspect ratio, multisampling, full screen, sound, looping,
whether full screen keeps the display's own mode, and the sound's offset.

Options:
  --display N    on display N, numbered from 1 as the dialog lists them (1, the primary)
  --fullscreen   full screen (the dialog's first choice)
  --window       in a window
  --no-dialog    play at once, with the dialog's first choices and the options given
  --sound-offset MS
                 the sound reaches the ear MS milliseconds after (negative: before) what the
                 sound system reports, -1000 to 1000 (0): for one that reports its latency wrongly
  --help         this text

Escape or closing the window ends the demo at any moment, while it loads too.

Exit status: 0 after the demo, a cancelled dialog or Escape; 1 when no demo could be played (no
archive, a damaged one, no display or no such display, no OpenGL 4.5, no sound device), with one
line on standard error naming the cause and the log; 2 on bad usage.
)";

app::Result<PlayerOptions> parseOptions(const std::vector<std::string>& arguments)
{
    PlayerOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool screenChoice = argument == "--fullscreen" || argument == "--window";
        if (screenChoice && options.start.fullscreen &&
            *options.start.fullscreen != (argument == "--fullscreen"))
            return app::Failure{"--fullscreen and --window go apart"};
        if (screenChoice) {
            options.start.fullscreen = argument == "--fullscreen";
        } else if (argument == "--no-dialog") {
            options.start.dialog = DialogShown::No;
        } else if (argument == "--help") {
            options.help = true;
        } else if (argument == "--sound-offset") {
            int offset = 0;
            if (i + 1 == arguments.size() || !app::parseNumber(arguments[++i], offset) || offset < -1000 ||
                offset > 1000)
                return app::Failure{"bad or missing value for --sound-offset: milliseconds, -1000 to 1000"};
            options.start.soundOffset = offset;
        } else if (argument == "--display") {
            int number = 0;
            if (i + 1 == arguments.size() || !app::parseNumber(arguments[++i], number) || number < 1)
                return app::Failure{"bad or missing value for --display: a display's number, from 1"};
            options.start.display = number - 1;
        } else {
            return app::Failure{"unknown argument '" + argument + "'"};
        }
    }
    return options;
}

} // namespace orb::player
