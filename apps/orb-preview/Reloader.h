#pragma once

// Reloader -- the production's directory taken in as it is saved: at the start of every frame,
// the files closed or moved in since the last one reach the demo.
//
// Does: compile a saved effect again and swap it in (a compile error keeps the old one and is
//       kept as an error until the file compiles); reload the demo, at the time it had, for the
//       script, an image, the mesh or the music; decode the music's waveform at the start and
//       when the music is saved; log how long after its save each file was first on screen.
// Does not: draw, or move the demo's time (the transport is told when a demo is loaded or lost).
//
//   Reloader reloader(demo, transport, notes, "Production");
//   if (!reloader.watch()) return;          // no directory to watch: logged
//   reloader.load();                        // once the demo is initialised
//   reloader.takeInChanges();  ... the frame ...  reloader.reportShown();
//   for (const std::string& error : reloader.errors()) ...

#include "Transport.h"
#include "Waveform.h"
#include "platform/win/DirectoryWatch.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orb {
class DemoSystem;
}

namespace orb::preview {

class Notes;

class Reloader
{
public:
    Reloader(DemoSystem& demo, Transport& transport, Notes& notes, std::string directory);

    // False when the directory cannot be watched (logged).
    bool watch();
    // The demo and the waveform, once the demo's systems are up.
    void load();
    void takeInChanges();
    // After the frame that showed what was taken in.
    void reportShown();

    // Each file's error, up to a few lines, until the file loads; then why there is no waveform.
    std::vector<std::string> errors() const;
    const Waveform& waveform() const { return waveform_; }

private:
    void reloadEffect(const std::string& name);
    void reloadDemo();
    void loadWaveform();

    DemoSystem& demo_;
    Transport& transport_;
    Notes& notes_;
    std::string directory_;
    std::unique_ptr<win::DirectoryWatch> watch_;
    std::map<std::string, std::string> errors_; // by file name, until it loads
    // Files taken in at this frame, whose time from being saved to being seen is logged.
    std::vector<std::string> awaitingShow_;
    Waveform waveform_;
    app::Failure waveformFailure_;
};

} // namespace orb::preview
