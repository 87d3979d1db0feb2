#include "platform/audio/Mp3Stream.h"

#include <algorithm>
#include <cstring>
#include <mpg123.h>

namespace orb::audio {
namespace {

mpg123_ssize_t readSource(void* handle, void* buffer, std::size_t bytes)
{
    auto& source = *static_cast<Mp3Stream::Source*>(handle);
    const std::size_t count = std::min(bytes, source.size - source.at);
    std::memcpy(buffer, source.bytes + source.at, count);
    source.at += count;
    return static_cast<mpg123_ssize_t>(count);
}

off_t seekSource(void* handle, off_t offset, int whence)
{
    auto& source = *static_cast<Mp3Stream::Source*>(handle);
    off_t target = offset;
    if (whence == SEEK_CUR)
        target += static_cast<off_t>(source.at);
    else if (whence == SEEK_END)
        target += static_cast<off_t>(source.size);
    else if (whence != SEEK_SET)
        return -1;
    if (target < 0 || target > static_cast<off_t>(source.size))
        return -1;
    source.at = static_cast<std::size_t>(target);
    return target;
}

// Only 44100 Hz stereo float may come out: mono is doubled, other rates go through the
// library's resampler, so every stream plays at the mixer's rate. Damage of any length is
// skipped rather than ending the stream; tags are skipped unread, which keeps decoding on the
// mixing thread free of allocations.
bool configure(mpg123_handle* decoder)
{
    const long flags = MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_FLOAT | MPG123_SKIP_ID3V2;
    return mpg123_param(decoder, MPG123_FLAGS, flags, 0) == MPG123_OK &&
           mpg123_param(decoder, MPG123_FORCE_RATE, SampleRate, 0) == MPG123_OK &&
           mpg123_param(decoder, MPG123_RESYNC_LIMIT, -1, 0) == MPG123_OK &&
           mpg123_format_none(decoder) == MPG123_OK &&
           mpg123_format(decoder, SampleRate, MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK;
}

} // namespace

std::unique_ptr<Mp3Stream> Mp3Stream::open(const void* data, std::size_t size)
{
    if (!data || size == 0)
        return nullptr;
    mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
    if (!decoder)
        return nullptr;
    std::unique_ptr<Mp3Stream> stream(new Mp3Stream(decoder, data, size));
    return stream->start() ? std::move(stream) : nullptr;
}

Mp3Stream::Mp3Stream(mpg123_handle* decoder, const void* data, std::size_t size)
    : decoder_(decoder), source_{static_cast<const unsigned char*>(data), size, 0}
{}

Mp3Stream::~Mp3Stream()
{
    mpg123_delete(decoder_);
}

// Finding the first frame's format proves the bytes are MPEG audio; the header scan makes the
// length exact even without a LAME tag and fills the index that makes seeks cheap.
bool Mp3Stream::start()
{
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (!configure(decoder_) ||
        mpg123_replace_reader_handle(decoder_, readSource, seekSource, nullptr) != MPG123_OK ||
        mpg123_open_handle(decoder_, &source_) != MPG123_OK ||
        mpg123_getformat(decoder_, &rate, &channels, &encoding) != MPG123_OK ||
        mpg123_scan(decoder_) != MPG123_OK)
        return false;
    const off_t length = mpg123_length(decoder_);
    if (length <= 0)
        return false;
    length_ = static_cast<std::uint64_t>(length);
    return true;
}

std::size_t Mp3Stream::read(float* out, std::size_t frames)
{
    const std::size_t frameBytes = Channels * sizeof(float);
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    std::size_t filled = 0;
    while (filled < frames * frameBytes) {
        std::size_t done = 0;
        const int result = mpg123_read(decoder_, bytes + filled, frames * frameBytes - filled, &done);
        filled += done;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            break;
        if (result == MPG123_OK && done == 0)
            break;
    }
    position_ += filled / frameBytes;
    return filled / frameBytes;
}

bool Mp3Stream::seek(std::uint64_t frame)
{
    if (frame > length_)
        return false;
    const off_t landed = mpg123_seek(decoder_, static_cast<off_t>(frame), SEEK_SET);
    if (landed < 0)
        return false;
    position_ = static_cast<std::uint64_t>(landed);
    return position_ == frame;
}

} // namespace orb::audio
