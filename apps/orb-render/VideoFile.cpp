#include "VideoFile.h"

#include "platform/audio/Mp3Stream.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace orb::render {

namespace {

double processorSeconds(clockid_t clock)
{
    timespec used{};
    ::clock_gettime(clock, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

} // namespace

VideoFile::VideoFile(const Encoder::Settings& settings)
    : file_(settings.file), fps_(settings.fps),
      pictureBytes_(gfx::PlanarPlanes(settings.width, settings.height).size)
{
    Encoder::Settings partial = settings;
    partial.file = partialPath(file_);
    encoder_ = Encoder::open(partial, failure_);
    if (!encoder_) {
        std::remove(partial.file.c_str());
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
    if (frame.layout != gfx::PixelLayout::Planar420) {
        failure_ = "the pictures did not come as 4:2:0 planes";
        return false;
    }
    if (!held_) {
        firstPicture_ = std::chrono::steady_clock::now();
        processorAtFirstPicture_ = processorSeconds(CLOCK_PROCESS_CPUTIME_ID);
    }
    const bool queued = !held_ || queuePicture(*held_);
    held_ = frame;
    return queued;
}

bool VideoFile::queuePicture(const gfx::FramePixels& frame)
{
    const std::uint8_t* planes = frame.pixels();
    if (planes == nullptr) {
        failure_ = "reading a picture back failed";
        return false;
    }
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
    std::memcpy(slot.data(), planes, pictureBytes_);
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
    encoderSeconds_ = processorSeconds(CLOCK_THREAD_CPUTIME_ID);
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
    const bool last = !keep || !held_ || queuePicture(*held_);
    held_.reset();
    const bool encoded = stopEncoding() && last && (!keep || encoder_->finish());
    if (failure_.empty())
        failure_ = encoder_->failure();
    encoder_.reset(); // closes the file
    captureSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - firstPicture_).count();
    processorSeconds_ = processorSeconds(CLOCK_PROCESS_CPUTIME_ID) - processorAtFirstPicture_;
    return settle(file_, encoded, keep);
}

std::string VideoFile::costs() const
{
    if (pictures_ == 0)
        return {};
    const double length = static_cast<double>(pictures_) / fps_;
    const double renderer = processorSeconds_ - encoderSeconds_;
    char line[400];
    std::snprintf(line, sizeof line,
                  "video: %ld pictures (%.1f s) captured in %.1f s, %.2f times their length; of %.1f s of "
                  "processor time the encoder used %.1f s (%.0f %%), the renderer and the rest %.1f s "
                  "(%.0f %%); the renderer waited %.1f s for the encoder\n",
                  pictures_, length, captureSeconds_, captureSeconds_ / length, processorSeconds_,
                  encoderSeconds_, 100.0 * encoderSeconds_ / processorSeconds_, renderer,
                  100.0 * renderer / processorSeconds_, rendererWaited_);
    return line;
}

} // namespace orb::render
