#include "VideoFile.h"

#include "platform/audio/Mp3Stream.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace orb::render {

namespace {

std::size_t pictureBytes(const Encoder::Settings& settings)
{
    if (settings.encoding.pictures.layout() == gfx::PixelLayout::Bgra)
        return std::size_t{4} * static_cast<std::size_t>(settings.width) *
               static_cast<std::size_t>(settings.height);
    return gfx::PlanarPlanes(settings.width, settings.height).size;
}

double processorSeconds(clockid_t clock)
{
    timespec used{};
    ::clock_gettime(clock, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) * 1e-9;
}

} // namespace

app::Result<std::unique_ptr<VideoFile>> VideoFile::open(const Encoder::Settings& settings)
{
    app::Result<PartialFile> file = PartialFile::create(settings.file);
    if (!file)
        return file.failure();
    Encoder::Settings writing = settings;
    writing.file = file->path();
    app::Result<std::unique_ptr<Encoder>> encoder = Encoder::open(writing);
    if (!encoder)
        return encoder.failure();
    return std::unique_ptr<VideoFile>(new VideoFile(settings, std::move(*file), std::move(*encoder)));
}

VideoFile::VideoFile(const Encoder::Settings& settings, PartialFile file, std::unique_ptr<Encoder> encoder)
    : file_(std::move(file)), fps_(settings.fps), layout_(settings.encoding.pictures.layout()),
      pictureBytes_(pictureBytes(settings)), encoder_(std::move(encoder))
{
    for (std::size_t slot = 0; slot < Slots; ++slot)
        free_.emplace_back(pictureBytes_);
    thread_ = std::thread([this] { encodeAll(); });
}

VideoFile::~VideoFile()
{
    static_cast<void>(finish(false)); // removes the file: nothing to report
}

app::Failure VideoFile::write(const gfx::FramePixels& frame)
{
    if (frame.layout != layout_)
        return {"the pictures did not come as the encoding takes them"};
    if (pictures_ == 0 && !held_) {
        firstPicture_ = std::chrono::steady_clock::now();
        processorAtFirstPicture_ = processorSeconds(CLOCK_PROCESS_CPUTIME_ID);
    }
    // B, G, R, A pixels are read in the present only; 4:2:0 planes one picture late, when the
    // renderer has them ready.
    if (layout_ == gfx::PixelLayout::Bgra)
        return queuePicture(frame);
    app::Failure queued = held_ ? queuePicture(*held_) : app::Failure{};
    held_ = frame;
    return queued;
}

app::Failure VideoFile::queuePicture(const gfx::FramePixels& frame)
{
    const std::uint8_t* planes = frame.pixels();
    if (planes == nullptr)
        return {"reading a picture back failed"};
    std::vector<std::uint8_t> slot;
    {
        std::unique_lock lock(mutex_);
        const auto begun = std::chrono::steady_clock::now();
        changed_.wait(lock, [this] { return !free_.empty() || encoderFailure_; });
        rendererWaited_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        if (encoderFailure_)
            return encoderFailure_;
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
    return {};
}

app::Failure VideoFile::writeSound(const float* samples, std::size_t frames)
{
    {
        std::lock_guard lock(mutex_);
        if (encoderFailure_)
            return encoderFailure_;
        sound_.insert(sound_.end(), samples, samples + frames * audio::Channels);
    }
    changed_.notify_all();
    return {};
}

// The encoder's thread: the sound that has come, then the next picture, until the end.
void VideoFile::encodeAll()
{
    std::vector<float> sound;
    bool capturing = false; // from the first picture on; before it the renderer is loading
    for (;;) {
        std::vector<std::uint8_t> picture;
        {
            std::unique_lock lock(mutex_);
            const auto begun = std::chrono::steady_clock::now();
            changed_.wait(lock, [this] { return !queued_.empty() || !sound_.empty() || ended_; });
            if (capturing)
                encoderWaited_ +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
            capturing = capturing || !queued_.empty();
            if (queued_.empty() && sound_.empty())
                break;
            sound.swap(sound_);
            sound_.clear();
            if (!queued_.empty()) {
                picture = std::move(queued_.front());
                queued_.pop_front();
            }
        }
        app::Failure failure = encoder_->sound(sound.data(), sound.size() / audio::Channels);
        if (!failure && !picture.empty())
            failure = encoder_->picture(picture.data());
        const bool failed = static_cast<bool>(failure);
        {
            std::lock_guard lock(mutex_);
            if (!picture.empty())
                free_.push_back(std::move(picture));
            encoderFailure_ = std::move(failure);
        }
        changed_.notify_all();
        if (failed)
            break;
    }
    encoderSeconds_ = processorSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// Lets the encoder's thread take what is queued and end; its failure, if it did not encode all of it.
app::Failure VideoFile::stopEncoding()
{
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
    thread_.join();
    return encoderFailure_;
}

app::Failure VideoFile::complete()
{
    const app::Failure last = held_ ? queuePicture(*held_) : app::Failure{};
    if (app::Failure failure = stopEncoding())
        return failure;
    return last ? last : encoder_->finish();
}

app::Failure VideoFile::finish(bool keep)
{
    if (!encoder_)
        return {};
    app::Failure failure = keep ? complete() : stopEncoding();
    loudness_ = encoder_->loudness();
    held_.reset();
    encoder_.reset(); // closes the file
    captureSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - firstPicture_).count();
    processorSeconds_ = processorSeconds(CLOCK_PROCESS_CPUTIME_ID) - processorAtFirstPicture_;
    return file_.finish(keep, std::move(failure));
}

std::string VideoFile::costs() const
{
    if (pictures_ == 0)
        return {};
    const double length = static_cast<double>(pictures_) / fps_;
    const double renderer = processorSeconds_ - encoderSeconds_;
    char line[400];
    std::snprintf(
        line, sizeof line,
        "video: %ld pictures (%.1f s) captured in %.1f s, %.2f times their length; of %.1f s of "
        "processor time the encoder used %.1f s (%.0f %%), the renderer and the rest %.1f s "
        "(%.0f %%); the renderer waited %.1f s for the encoder, the encoder %.1f s for the renderer\n",
        pictures_, length, captureSeconds_, captureSeconds_ / length, processorSeconds_, encoderSeconds_,
        100.0 * encoderSeconds_ / processorSeconds_, renderer, 100.0 * renderer / processorSeconds_,
        rendererWaited_, encoderWaited_);
    return line + loudness_;
}

} // namespace orb::render
