#pragma once

// Host -- what the program around the engine provides: the clock's counter, where frames go and
// where sound goes. The player has the real clock, a window and the sound card; tests and the
// off-screen renderer have a counter that steps in virtual time, an off-screen device whose
// frames go to a reader, and a silent sound output whose mix goes to a sink.

#include "platform/audio/LibraryVersions.h"
#include "platform/audio/Output.h"
#include "platform/gfx/Backend.h"
#include "platform/win/Counter.h"

#include <functional>
#include <memory>
#include <string>

namespace orb {

enum class GraphicsBackend
{
    Window,
    Offscreen,
};

enum class SoundOutput
{
    Device,
    Silent,
};

// The audio library's start-up calls. Tests put failing ones in their place to see the sound
// system through an outdated library or a machine without a sound card.
struct SoundLibrary
{
    bool (*upToDate)() = audio::librariesUpToDate;
    std::unique_ptr<audio::Output> (*openDevice)(audio::Mixer& mixer,
                                                 std::string* error) = audio::openDeviceOutput;
};

struct Host
{
    win::Counter& counter;
    GraphicsBackend graphics = GraphicsBackend::Window;
    gfx::FrameReader frameReader = {}; // receives presented frames off-screen
    SoundOutput sound = SoundOutput::Device;
    audio::SampleSink sampleSink = {}; // receives what the silent output mixes
    SoundLibrary soundLibrary = {};
    // The production's files from this directory (it stands for "Data"); when empty, from the
    // archive "Data.qel" in the working directory, or the directory of that name.
    std::string dataDirectory = {};
    // How presented frames reach the frame reader: planes for a video encoder, BGRA otherwise.
    gfx::PixelLayout frameLayout = gfx::PixelLayout::Bgra;
    // For frame statistics: the device counts draws at state combinations it has not drawn at
    // (gfx::Work::NewDrawState) from its creation on, the loading's unseen frames included.
    bool watchDrawStates = false;
    // Asked after every loading picture: false stops the loading, as a viewer who quit asks.
    std::function<bool()> keepLoading = {};

    static Host player() { return Host{win::performanceCounter()}; }
    static Host offscreen(win::Counter& counter, gfx::FrameReader reader = {}, audio::SampleSink sink = {})
    {
        return Host{counter, GraphicsBackend::Offscreen, std::move(reader), SoundOutput::Silent,
                    std::move(sink)};
    }
};

} // namespace orb
