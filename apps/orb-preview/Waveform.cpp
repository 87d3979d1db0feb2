#include "Waveform.h"

#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orb::preview {

namespace {

constexpr std::size_t BlockFrames = 64;

Waveform::Column extremes(const float* samples, std::size_t count)
{
    const auto [low, high] = std::minmax_element(samples, samples + count);
    return {*low, *high};
}

} // namespace

app::Result<Waveform> Waveform::decode(const void* bytes, std::size_t size)
{
    const std::unique_ptr<audio::Mp3Stream> stream = audio::Mp3Stream::open(bytes, size);
    if (!stream)
        return app::Failure{"not MPEG audio"};
    Waveform wave;
    wave.blocks_.reserve(stream->length() / BlockFrames + 1);
    std::vector<float> block(BlockFrames * audio::Channels);
    while (std::size_t frames = stream->read(block.data(), BlockFrames))
        wave.blocks_.push_back(extremes(block.data(), frames * audio::Channels));
    if (stream->position() < stream->length())
        return app::Failure{"the sound breaks off at " +
                            std::to_string(stream->position() / audio::SampleRate) + " s"};
    return wave;
}

std::vector<Waveform::Column> Waveform::columns(double from, double to, int count) const
{
    std::vector<Column> shown(static_cast<std::size_t>(std::max(count, 0)));
    const double blocksPerSecond = static_cast<double>(audio::SampleRate) / BlockFrames;
    const double blocksPerColumn = (to - from) * blocksPerSecond / std::max(count, 1);
    const auto last = static_cast<double>(blocks_.size());
    for (std::size_t column = 0; column < shown.size(); ++column) {
        const double start = from * blocksPerSecond + static_cast<double>(column) * blocksPerColumn;
        // A column narrower than a block still shows the block it lies in.
        const double first = std::clamp(std::floor(start), 0.0, last);
        const double end = std::clamp(std::max(std::ceil(start + blocksPerColumn), first + 1.0), 0.0, last);
        if (first >= end)
            continue;
        Column& extreme = shown[column] = blocks_[static_cast<std::size_t>(first)];
        for (auto block = static_cast<std::size_t>(first) + 1; block < static_cast<std::size_t>(end);
             ++block) {
            extreme.low = std::min(extreme.low, blocks_[block].low);
            extreme.high = std::max(extreme.high, blocks_[block].high);
        }
    }
    return shown;
}

} // namespace orb::preview
