#include "platform/audio/Output.h"

#include <algorithm>

namespace orb::audio {

void SilentOutput::pump(std::size_t frames)
{
    const std::size_t chunkFrames = chunk_.size() / Channels;
    for (std::size_t done = 0; done < frames; done += chunkFrames) {
        const std::size_t mixed = std::min(chunkFrames, frames - done);
        mixer_.mix(chunk_.data(), mixed);
        if (sink_)
            sink_(chunk_.data(), mixed);
    }
}

std::unique_ptr<SilentOutput> openSilentOutput(Mixer& mixer, SampleSink sink)
{
    return std::make_unique<SilentOutput>(mixer, std::move(sink));
}

} // namespace orb::audio
