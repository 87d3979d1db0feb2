#include "platform/audio/Mixer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <utility>

namespace orb::audio {
namespace {

// Frames decoded at a time; also the scratch each stream keeps so that mixing never allocates.
constexpr std::size_t ChunkFrames = 1024;
// A grain's fades, 5 ms each way: shorter ones click.
constexpr std::size_t GrainFadeFrames = SampleRate / 200;

// A grain's gain at one frame: `played` before it, `left` from it to the end.
float grainEnvelope(std::size_t played, std::size_t left)
{
    const std::size_t edge = std::min({played + 1, left, GrainFadeFrames});
    return static_cast<float>(edge) / GrainFadeFrames;
}

} // namespace

struct Mixer::Grain
{
    std::uint64_t from;
    std::size_t frames;
};

// Left by commands for the next mix to take; guarded by requestMutex_, hence mutable as it is.
struct Mixer::Requests
{
    std::optional<bool> playing;
    std::optional<std::uint64_t> position;
    std::optional<Grain> grain;
};

struct Mixer::Stream
{
    Stream(StreamHandle handle, std::unique_ptr<Mp3Stream> decoder, bool loop, const void* data,
           std::size_t size)
        : handle(handle), loop(loop), length(decoder->length()), data(data), size(size),
          decoder(std::move(decoder))
    {}

    const StreamHandle handle;
    const bool loop;
    const std::uint64_t length;
    const void* const data;
    const std::size_t size;
    // Grains decode apart from the stream, so that its place never moves. Opened by the first
    // grain in the commanding thread and set under mixMutex_.
    mutable std::unique_ptr<Mp3Stream> grainDecoder;

    mutable Requests requests;
    // Guarded by requestMutex_: cleared by every command, set by the mix after it.
    mutable std::optional<Playhead> playhead;
    std::uint64_t mixedFrom = 0; // the mixing thread's: where the last mix began
    // Where the next mix starts once the requests are taken; read under requestMutex_.
    std::atomic<std::uint64_t> position = 0;

    // The mixing thread's alone once the stream is listed.
    std::unique_ptr<Mp3Stream> decoder;
    bool playing = false;
    std::optional<std::uint64_t> pendingSeek;
    std::optional<Grain> waitingGrain;
    std::size_t grainPlayed = 0; // of the grain sounding
    std::size_t grainLeft = 0;
    std::array<float, Channels * ChunkFrames> chunk{};
};

Mixer::Mixer() = default;
Mixer::~Mixer() = default;

StreamHandle Mixer::createStream(const void* data, std::size_t size, bool loop)
{
    if (lastHandle_ == std::numeric_limits<StreamHandle>::max())
        return 0;
    auto decoder = Mp3Stream::open(data, size);
    if (!decoder)
        return 0;
    std::list<Stream> node;
    node.emplace_back(++lastHandle_, std::move(decoder), loop, data, size);
    const std::lock_guard mixing(mixMutex_);
    streams_.splice(streams_.end(), node);
    return lastHandle_;
}

bool Mixer::play(StreamHandle handle, bool restart)
{
    const Stream* stream = find(handle);
    if (!stream)
        return false;
    const std::lock_guard lock(requestMutex_);
    stream->requests.playing = true;
    if (restart)
        stream->requests.position = 0;
    stream->playhead.reset();
    return true;
}

bool Mixer::stop(StreamHandle handle)
{
    const Stream* stream = find(handle);
    if (!stream)
        return false;
    const std::lock_guard lock(requestMutex_);
    stream->requests.playing = false;
    stream->playhead.reset();
    return true;
}

bool Mixer::free(StreamHandle handle)
{
    const auto stream = listed(handle);
    if (stream == streams_.end())
        return false;
    std::list<Stream> removed; // destroyed after the lock is released
    const std::lock_guard mixing(mixMutex_);
    removed.splice(removed.end(), streams_, stream);
    return true;
}

bool Mixer::playGrain(StreamHandle handle, std::uint64_t from, std::size_t frames)
{
    const Stream* stream = find(handle);
    if (!stream || from >= stream->length)
        return false;
    if (!stream->grainDecoder) {
        std::unique_ptr<Mp3Stream> decoder = Mp3Stream::open(stream->data, stream->size);
        if (!decoder)
            return false;
        const std::lock_guard mixing(mixMutex_);
        stream->grainDecoder = std::move(decoder);
    }
    const std::lock_guard lock(requestMutex_);
    stream->requests.grain =
        Grain{from, static_cast<std::size_t>(std::min<std::uint64_t>(frames, stream->length - from))};
    return true;
}

std::optional<std::uint64_t> Mixer::position(StreamHandle handle, double seconds) const
{
    const double frames = std::round(seconds * SampleRate);
    if (!find(handle) || !(frames >= 0 && frames < 0x1p63))
        return std::nullopt;
    return static_cast<std::uint64_t>(frames);
}

bool Mixer::setPosition(StreamHandle handle, std::uint64_t frame)
{
    const Stream* stream = find(handle);
    if (!stream || frame > stream->length)
        return false;
    const std::lock_guard lock(requestMutex_);
    stream->requests.position = frame;
    stream->playhead.reset();
    return true;
}

std::optional<std::uint64_t> Mixer::currentPosition(StreamHandle handle) const
{
    const Stream* stream = find(handle);
    if (!stream)
        return std::nullopt;
    const std::lock_guard lock(requestMutex_);
    return stream->requests.position.value_or(stream->position.load());
}

bool Mixer::setVolume(int volume)
{
    if (volume < 0 || volume > MaxVolume)
        return false;
    const std::lock_guard lock(requestMutex_);
    volume_ = volume;
    return true;
}

void Mixer::fadeOut(std::size_t frames)
{
    const std::lock_guard lock(requestMutex_);
    fadeFrames_ = std::max<std::size_t>(frames, 1);
}

void Mixer::mix(float* out, std::size_t frames, std::optional<std::int64_t> heardAt)
{
    const std::lock_guard mixing(mixMutex_);
    const float gain = takeRequests();
    std::fill(out, out + frames * Channels, 0.0f);
    for (Stream& stream : streams_) {
        mixStream(stream, gain, out, frames);
        mixGrains(stream, gain, out, frames);
    }
    applyFade(out, frames);
    if (heardAt)
        publishPlayheads(*heardAt);
}

std::optional<Playhead> Mixer::playhead(StreamHandle handle) const
{
    const Stream* stream = find(handle);
    if (!stream)
        return std::nullopt;
    const std::lock_guard lock(requestMutex_);
    return stream->playhead;
}

// A command that came during the mix has made its playheads stale: they wait for the next one.
void Mixer::publishPlayheads(std::int64_t heardAt)
{
    const std::lock_guard lock(requestMutex_);
    for (Stream& stream : streams_) {
        const bool commanded = stream.requests.playing || stream.requests.position;
        if (stream.playing && !commanded)
            stream.playhead = Playhead{heardAt, stream.mixedFrom};
    }
}

void Mixer::applyFade(float* out, std::size_t frames)
{
    if (!fadeGain_)
        return;
    // Once a whole mix after the fade is silent, the fade itself has gone out to the device.
    if (*fadeGain_ == 0.0f)
        faded_ = true;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (std::size_t channel = 0; channel < Channels; ++channel)
            out[frame * Channels + channel] *= *fadeGain_;
        fadeGain_ = std::max(*fadeGain_ - fadeStep_, 0.0f);
    }
}

// Reads the streams' list without a lock: only the calling thread changes it.
std::list<Mixer::Stream>::const_iterator Mixer::listed(StreamHandle handle) const
{
    return std::find_if(streams_.begin(), streams_.end(),
                        [handle](const Stream& stream) { return stream.handle == handle; });
}

const Mixer::Stream* Mixer::find(StreamHandle handle) const
{
    const auto stream = listed(handle);
    return stream == streams_.end() ? nullptr : &*stream;
}

// Seeks are only noted here: they decode, which happens after the lock is released.
float Mixer::takeRequests()
{
    const std::lock_guard lock(requestMutex_);
    for (Stream& stream : streams_) {
        Requests& requests = stream.requests;
        if (requests.position) {
            stream.pendingSeek = requests.position;
            stream.position = *requests.position;
        }
        stream.playing = requests.playing.value_or(stream.playing);
        if (requests.grain)
            stream.waitingGrain = requests.grain;
        requests = {};
    }
    if (fadeFrames_ != 0 && !fadeGain_) {
        fadeGain_ = 1.0f;
        fadeStep_ = 1.0f / static_cast<float>(fadeFrames_);
    }
    fadeFrames_ = 0;
    return static_cast<float>(volume_) / MaxVolume;
}

void Mixer::mixStream(Stream& stream, float gain, float* out, std::size_t frames)
{
    if (stream.pendingSeek) {
        stream.decoder->seek(*stream.pendingSeek);
        stream.pendingSeek.reset();
    }
    stream.mixedFrom = stream.decoder->position();
    bool justWrapped = false;
    for (std::size_t done = 0; stream.playing && done < frames;) {
        const std::size_t wanted = std::min(frames - done, ChunkFrames);
        const std::size_t got = stream.decoder->read(stream.chunk.data(), wanted);
        float* target = out + done * Channels;
        for (std::size_t i = 0; i < got * Channels; ++i)
            target[i] += gain * stream.chunk[i];
        done += got;
        if (got < wanted) {
            // A stream that yields nothing right after wrapping would spin forever.
            stream.playing = stream.loop && !(justWrapped && got == 0) && stream.decoder->seek(0);
            justWrapped = true;
        } else {
            justWrapped = false;
        }
    }
    stream.position = stream.decoder->position();
}

// The waiting grain becomes the one sounding; false when none waits.
bool Mixer::startWaitingGrain(Stream& stream)
{
    const std::optional<Grain> grain = std::exchange(stream.waitingGrain, std::nullopt);
    if (!grain || !stream.grainDecoder->seek(grain->from))
        return false;
    stream.grainPlayed = 0;
    stream.grainLeft = grain->frames;
    return true;
}

void Mixer::mixGrains(Stream& stream, float gain, float* out, std::size_t frames)
{
    if (stream.playing) { // the stream itself is heard
        stream.waitingGrain.reset();
        stream.grainLeft = std::min(stream.grainLeft, GrainFadeFrames);
    }
    for (std::size_t done = 0; done < frames;) {
        if (stream.grainLeft == 0 && !startWaitingGrain(stream))
            return;
        const std::size_t wanted = std::min({frames - done, stream.grainLeft, ChunkFrames});
        const std::size_t got = stream.grainDecoder->read(stream.chunk.data(), wanted);
        float* target = out + done * Channels;
        for (std::size_t frame = 0; frame < got; ++frame) {
            const float frameGain = gain * grainEnvelope(stream.grainPlayed++, stream.grainLeft--);
            for (std::size_t channel = 0; channel < Channels; ++channel)
                target[frame * Channels + channel] += frameGain * stream.chunk[frame * Channels + channel];
        }
        done += got;
        if (got < wanted)
            stream.grainLeft = 0; // broken data past what open() checked
    }
}

} // namespace orb::audio
