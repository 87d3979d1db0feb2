#pragma once

// SoundSystem -- the music streams: decoded from file bytes the FileSystem holds, played,
// moved and freed by handle, summed into the sound card or a silent output.
//
//   SoundSystem sound(fileSystem, host);
//   sound.init(settings);                                   // volume 10000, or 0 with sound off
//   std::uint32_t music = sound.createStream("Data\\velmora.mp3", loop);   // 0 + log on failure
//   sound.play(music, true);
//   sound.setPosition(music, seconds);
//   sound.pump(audio::SampleRate / 60);                     // a frame's worth, silent output only

#include "DemoSettings.h"
#include "Host.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/Output.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orb {

class FileSystem;

class SoundSystem
{
public:
    SoundSystem(FileSystem& fileSystem, const Host& host);
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    bool init(const DemoSettings& settings);

    std::uint32_t createStream(const std::string& fileName, bool loop);
    void play(std::uint32_t stream, bool restart);
    // Holds the stream where it is; play(stream, false) goes on from there.
    void pause(std::uint32_t stream);
    void setPosition(std::uint32_t stream, float seconds);
    void freeStream(std::uint32_t stream);
    void freeAllStreams();
    // Moves a silent output on by `frames`, mixing them into the host's sample sink; the sound
    // card keeps its own time.
    void pump(std::size_t frames);

    // Where the stream was last heard from, on the host's counter; nothing for the silent output
    // or a stream paused or moved since.
    std::optional<audio::Playhead> playhead(std::uint32_t stream) const { return mixer_.playhead(stream); }
    // Seconds from a mix to the ear (0 without an output).
    double outputLatency() const { return output_ ? output_->latency() : 0.0; }
    std::string outputDescription() const { return output_ ? output_->description() : "nowhere"; }

    audio::Mixer& mixer() { return mixer_; }
    // Slots made so far, freed ones included: a new stream takes the first freed slot.
    std::size_t streamSlots() const { return streams_.size(); }

private:
    void fadeOutMusic();

    FileSystem& fileSystem_;
    SoundOutput outputKind_;
    audio::SampleSink sampleSink_;
    SoundLibrary library_;
    audio::Mixer mixer_;
    std::unique_ptr<audio::Output> output_;
    // One slot per stream made; a freed slot has handle 0 and no file name.
    std::vector<std::uint32_t> streams_;
    std::vector<std::string> streamFiles_;
};

} // namespace orb
