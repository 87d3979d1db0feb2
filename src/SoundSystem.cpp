#include "SoundSystem.h"

#include "FileSystem.h"
#include "LogFile.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace orb {

SoundSystem::SoundSystem(FileSystem& fileSystem, const Host& host)
    : fileSystem_(fileSystem), outputKind_(host.sound), sampleSink_(host.sampleSink),
      library_(host.soundLibrary)
{}

SoundSystem::~SoundSystem()
{
    ORB_INFO("SoundSystem Shutdown ...");
    fadeOutMusic();
    freeAllStreams();
    output_.reset();
    ORB_INFO("SoundSystem Shutdown Done");
}

bool SoundSystem::init(const DemoSettings& settings)
{
    ORB_INFO("SoundSystem Init ... (44100," << static_cast<unsigned>(settings.sound) << ","
                                            << PointerFormat{settings.window} << ")");
    if (!library_.upToDate()) {
        ORB_ERROR("BASS_GetVersion failed");
        return false;
    }
    std::string error;
    if (outputKind_ == SoundOutput::Device)
        output_ = library_.openDevice(mixer_, &error);
    else
        output_ = audio::openSilentOutput(mixer_, sampleSink_);
    if (!output_) {
        ORB_ERROR_WITH_DETAIL("BASS_Init failed", error);
        return false;
    }
    // Muted music plays on, so that it keeps its place.
    mixer_.setVolume(settings.sound != 0 ? audio::MaxVolume : 0);
    ORB_INFO("SoundSystem Init Done");
    return true;
}

std::uint32_t SoundSystem::createStream(const std::string& fileName, bool loop)
{
    fileSystem_.open(fileName);
    const std::uint32_t size = fileSystem_.fileSize(fileName);
    const std::uint32_t stream = mixer_.createStream(fileSystem_.fileData(fileName), size, loop);
    if (stream == 0) {
        ORB_ERROR("BASS_StreamCreateFile failed for '" << fileName << "'");
        return 0;
    }
    const auto free = std::find(streams_.begin(), streams_.end(), 0u);
    const auto slot = static_cast<std::size_t>(free - streams_.begin());
    if (free == streams_.end()) {
        streams_.push_back(stream);
        streamFiles_.push_back(fileName);
    } else {
        streams_[slot] = stream;
        streamFiles_[slot] = fileName;
    }
    return stream;
}

void SoundSystem::play(std::uint32_t stream, bool restart)
{
    if (!mixer_.play(stream, restart))
        ORB_ERROR("invalid stream id '" << stream << "'");
}

void SoundSystem::pause(std::uint32_t stream)
{
    if (!mixer_.stop(stream))
        ORB_ERROR("invalid stream id '" << stream << "'");
}

void SoundSystem::setPosition(std::uint32_t stream, float seconds)
{
    // The mixer refuses negative times; for the engine they mean the start.
    const std::optional<std::uint64_t> position =
        mixer_.position(stream, std::max(0.0, static_cast<double>(seconds)));
    if (!position) {
        ORB_ERROR("invalid stream id '" << stream << "'");
        return;
    }
    mixer_.setPosition(stream, *position);
}

void SoundSystem::freeStream(std::uint32_t stream)
{
    mixer_.stop(stream);
    mixer_.free(stream);
    const auto slot = std::find(streams_.rbegin(), streams_.rend(), stream);
    if (stream == 0 || slot == streams_.rend())
        return;
    // Clear the stream's own slot; the file stays open while another slot still plays it.
    const auto index = static_cast<std::size_t>(streams_.rend() - slot - 1);
    const std::string fileName = std::move(streamFiles_[index]);
    streams_[index] = 0;
    streamFiles_[index].clear();
    if (std::find(streamFiles_.begin(), streamFiles_.end(), fileName) == streamFiles_.end())
        fileSystem_.close(fileName);
}

// The card hears the music fall to silence in 10 ms rather than stop dead, which would click.
// Without a card nobody hears it, and nothing pulls the fade through.
void SoundSystem::fadeOutMusic()
{
    if (!output_ || outputKind_ != SoundOutput::Device)
        return;
    mixer_.fadeOut(audio::SampleRate / 100);
    // The card pulls a mix every 23 ms; much longer means it has stopped pulling.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    while (!mixer_.faded() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

void SoundSystem::pump(std::size_t frames)
{
    if (auto* silent = dynamic_cast<audio::SilentOutput*>(output_.get()))
        silent->pump(frames);
}

void SoundSystem::freeAllStreams()
{
    for (const std::uint32_t stream : std::vector<std::uint32_t>(streams_)) {
        if (stream != 0)
            freeStream(stream);
    }
    streams_.clear();
    streamFiles_.clear();
}

} // namespace orb
