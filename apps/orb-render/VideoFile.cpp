#include "VideoFile.h"

#include "platform/audio/Mp3Stream.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace orb::render {

VideoFile::VideoFile(const std::string& file, int width, int height, double fps, bool withSound)
    : file_(file), pictureBytes_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
{
    encoder_ = Encoder::open({partialPath(file), width, height, fps, withSound}, failure_);
    if (!encoder_) {
        std::remove(partialPath(file).c_str());
        return;
    }
    for (std::size_t slot = 0; slot < Slots; ++slot)
        free_.emplace_back(pictureBytes_);
    thread_ = std::thread([this] { encodeAll(); });
}

VideoFile::~VideoFile()
{
    finish(false);
}

bool VideoFile::write(const gfx::FramePixels& frame)
{
    if (!open())
        return false;
    std::vector<std::uint8_t> slot;
    {
        std::unique_lock lock(mutex_);
        const auto begun = std::chrono::steady_clock::now();
        changed_.wait(lock, [this] { return !free_.empty() || encoderFailed_; });
        rendererWaited_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        if (encoderFailed_)
            return false;
        slot = std::move(free_.back());
        free_.pop_back();
    }
    std::memcpy(slot.data(), frame.pixels(), pictureBytes_);
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(slot));
    }
    changed_.notify_all();
    ++pictures_;
    return true;
}

bool VideoFile::writeSound(const float* samples, std::size_t frames)
{
    if (!open())
        return false;
    {
        std::lock_guard lock(mutex_);
        if (encoderFailed_)
            return false;
        sound_.insert(sound_.end(), samples, samples + frames * audio::Channels);
    }
    changed_.notify_all();
    return true;
}

// The encoder's thread: the sound that has come, then the next picture, until the end.
void VideoFile::encodeAll()
{
    std::vector<float> sound;
    for (;;) {
        std::vector<std::uint8_t> picture;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queued_.empty() || !sound_.empty() || ended_; });
            if (queued_.empty() && sound_.empty())
                break;
            sound.swap(sound_);
            sound_.clear();
            if (!queued_.empty()) {
                picture = std::move(queued_.front());
                queued_.pop_front();
            }
        }
        const bool encoded = encoder_->sound(sound.data(), sound.size() / audio::Channels) &&
                             (picture.empty() || encoder_->picture(picture.data()));
        {
            std::lock_guard lock(mutex_);
            if (!picture.empty())
                free_.push_back(std::move(picture));
            encoderFailed_ = !encoded;
        }
        changed_.notify_all();
        if (!encoded)
            break;
    }
    timespec processor{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &processor);
    encoderSeconds_ = static_cast<double>(processor.tv_sec) + static_cast<double>(processor.tv_nsec) * 1e-9;
}

// Lets the encoder's thread take what is queued and end; true when it encoded all of it.
bool VideoFile::stopEncoding()
{
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
    thread_.join();
    return !encoderFailed_;
}

bool VideoFile::finish(bool keep)
{
    if (!open())
        return false;
    const bool encoded = stopEncoding() && (!keep || encoder_->finish());
    if (failure_.empty())
        failure_ = encoder_->failure();
    encoder_.reset(); // closes the file
    return settle(file_, encoded, keep);
}

std::string VideoFile::costs() const
{
    char line[200];
    std::snprintf(
        line, sizeof line,
        "video: the renderer waited %.1f s for the encoder, which used %.1f s of processor time for "
        "%ld pictures\n",
        rendererWaited_, encoderSeconds_, pictures_);
    return line;
}

} // namespace orb::render
