#include "platform/audio/Output.h"

#include <algorithm>

namespace orb::audio {

void SilentOutput::pump(std::size_t frames)
{
    const std::size_t chunk = discarded_.size() / Channels;
    for (std::size_t done = 0; done < frames; done += chunk)
        mixer_.mix(discarded_.data(), std::min(chunk, frames - done));
}

std::unique_ptr<SilentOutput> openSilentOutput(Mixer& mixer)
{
    return std::make_unique<SilentOutput>(mixer);
}

} // namespace orb::audio
