#pragma once

// Mp3Stream -- an MPEG audio file in memory, decoded on demand as 44100 Hz stereo float.
//
// Does: decode frames as they are read (libmpg123 reading straight from the caller's bytes),
//       seek to any sample exactly, drop the encoder's delay and padding when the file carries
//       a LAME tag (gapless), and turn mono or other rates into 44100 Hz stereo (libmpg123's
//       own resampler: plain, but at the right speed).
// Does not: copy or own the bytes (keep them alive while the stream exists), loop, mix, or
//       decode the whole file up front (open() only scans frame headers, to know the exact
//       length and to index the frames for quick seeking).
//
//   auto stream = Mp3Stream::open(bytes, size);     // null: not MPEG audio
//   float frames[2 * 1024];                          // interleaved L, R
//   std::size_t got = stream->read(frames, 1024);    // fewer than asked only at the end
//   stream->seek(44100);                             // the next read starts at 1 s

#include <cstddef>
#include <cstdint>
#include <memory>

struct mpg123_handle_struct;

namespace orb::audio {

constexpr int SampleRate = 44100;
constexpr int Channels = 2;

class Mp3Stream
{
public:
    static std::unique_ptr<Mp3Stream> open(const void* data, std::size_t size);
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // Decodes up to `frames` frames into `out`; returns how many. 0 at the end or when the
    // data turns out to be broken past the point open() checked.
    std::size_t read(float* out, std::size_t frames);
    // Positions the next read at `frame`; false beyond the end (position unchanged).
    bool seek(std::uint64_t frame);

    std::uint64_t position() const { return position_; }
    std::uint64_t length() const { return length_; }

    // The bytes as the decoder reads them; public only for the reader callbacks.
    struct Source
    {
        const unsigned char* bytes;
        std::size_t size;
        std::size_t at;
    };

private:
    Mp3Stream(mpg123_handle_struct* decoder, const void* data, std::size_t size);
    bool start();

    mpg123_handle_struct* decoder_;
    Source source_;
    std::uint64_t position_ = 0;
    std::uint64_t length_ = 0;
};

} // namespace orb::audio
