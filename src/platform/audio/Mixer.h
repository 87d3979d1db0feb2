#pragma once

// Mixer -- the sound streams and their sum, as the audio library's stream channels.
//
// Does: open MP3 streams over bytes in memory, play, pause, seek and free them by handle, and
//       sum the playing ones at the global volume into 44100 Hz stereo float for an Output.
//       Commands come from one thread (the engine's); mix() runs on another (the output's)
//       and never allocates nor waits long for a command (design in docs/audio.md). Plays
//       short grains of a paused stream, for scrubbing.
// Does not: open a device (see Output.h), copy the files' bytes, or signal a stream's end (its
//       currentPosition stays at its length).
//
//   Mixer mixer;
//   StreamHandle music = mixer.createStream(bytes, size, false);   // 0: not MPEG audio
//   auto output = openSilentOutput(mixer);                           // or openDeviceOutput
//   mixer.setPosition(music, *mixer.position(music, 12.5));         // seconds to frames
//   mixer.play(music, false);
//   output->pump(1024);                                              // silent output only
//   mixer.free(music);                                               // the handle fails from now on
// Destroy the outputs before the mixer they pull from.

#include "platform/audio/Mp3Stream.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>

namespace orb::audio {

// Non-zero; a mixer never hands out the same one twice.
using StreamHandle = std::uint32_t;

// Where a stream is heard: its frame `frame` reaches the listener at `tick` of the counter its
// output keeps time by.
struct Playhead
{
    std::int64_t tick;
    std::uint64_t frame;
};

constexpr int MaxVolume = 10000;

class Mixer
{
public:
    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A paused stream at its start over bytes the caller keeps alive until free(); 0 when the
    // bytes are not MPEG audio. A looping stream goes on from its first sample after its last.
    StreamHandle createStream(const void* data, std::size_t size, bool loop);
    // Starts or resumes; restart plays from the first sample.
    bool play(StreamHandle stream, bool restart);
    // Pauses where the stream is.
    bool stop(StreamHandle stream);
    // Stops the stream and forgets it.
    bool free(StreamHandle stream);

    // round(seconds * SampleRate): frames at the rate every stream plays at; nullopt for a bad
    // handle or a negative time.
    std::optional<std::uint64_t> position(StreamHandle stream, double seconds) const;
    // The frame the next mix starts from; false for a bad handle or beyond the stream's length.
    bool setPosition(StreamHandle stream, std::uint64_t frame);
    // The frame the next mix starts from: a pending setPosition's, else where the last mix left it.
    std::optional<std::uint64_t> currentPosition(StreamHandle stream) const;

    // 0 (silent, streams still advance) to MaxVolume (as decoded), linear; false out of range.
    bool setVolume(int volume);

    // From the next mix on, the sum falls linearly to silence over `frames` frames and stays
    // there: a cut in the middle of a wave would click.
    void fadeOut(std::size_t frames);
    // Whether a whole mix has been silent after a fade ended.
    bool faded() const { return faded_; }

    // Sums every playing stream into `frames` interleaved stereo frames (L, R) at SampleRate. An
    // output that knows when the first of them will be heard says so: each playing stream's
    // playhead is then known from it.
    void mix(float* out, std::size_t frames, std::optional<std::int64_t> heardAt = std::nullopt);
    // Where the stream was last heard from, as its output told; nothing for a stream paused, moved
    // or restarted since that mix, or never mixed by an output that keeps time.
    std::optional<Playhead> playhead(StreamHandle stream) const;

    // Plays `frames` frames of a stream from `from` once, faded in and out, leaving the stream's
    // own place and state as they are: an author hears where a paused demo stands. A grain asked
    // for while another sounds follows it, and only the latest one waits. Silent while the stream
    // itself plays: one already sounding fades out. False for a bad handle or beyond the end.
    bool playGrain(StreamHandle stream, std::uint64_t from, std::size_t frames);

private:
    struct Requests;
    struct Grain;
    struct Stream;

    std::list<Stream>::const_iterator listed(StreamHandle handle) const;
    const Stream* find(StreamHandle handle) const;
    float takeRequests();
    void publishPlayheads(std::int64_t heardAt);
    void mixStream(Stream& stream, float gain, float* out, std::size_t frames);
    void mixGrains(Stream& stream, float gain, float* out, std::size_t frames);
    static bool startWaitingGrain(Stream& stream);
    void applyFade(float* out, std::size_t frames);

    // The streams' list changes only in the commanding thread and only under mixMutex_, which
    // mix() holds throughout; nodes are built and destroyed outside it.
    std::list<Stream> streams_;
    std::mutex mixMutex_;
    // Commands wait here for the next mix; both threads hold it only to copy a few values.
    mutable std::mutex requestMutex_;
    int volume_ = MaxVolume;
    std::size_t fadeFrames_ = 0; // a fade asked for and not yet begun
    StreamHandle lastHandle_ = 0;

    // The mixing thread's: the fade's gain for the next frame and its fall per frame.
    std::optional<float> fadeGain_;
    float fadeStep_ = 0.0f;
    std::atomic<bool> faded_ = false;
};

} // namespace orb::audio
