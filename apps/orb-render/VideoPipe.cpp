#include "VideoPipe.h"

#include "platform/audio/Mp3Stream.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orb::render {

namespace {

struct Pipe
{
    int read = -1;
    int write = -1;
};

// Both ends close on exec (ffmpeg is handed its read end explicitly); only our write end is
// non-blocking, the read end ffmpeg shares stays as ffmpeg expects it. The pipe holds as much as
// the system lets it: a picture is megabytes, and each pipe-full costs both processes a wake-up.
Pipe openPipe()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    std::ifstream limit("/proc/sys/fs/pipe-max-size");
    int most = 0;
    if (limit >> most)
        ::fcntl(ends[1], F_SETPIPE_SZ, most);
    return {ends[0], ends[1]};
}

void closeEnd(int& end)
{
    if (end >= 0)
        ::close(end);
    end = -1;
}

std::vector<std::string> ffmpegArguments(const std::string& file, int width, int height, double fps,
                                         int pictures, int sound)
{
    std::vector<std::string> arguments = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y"};
    const auto add = [&arguments](std::initializer_list<std::string> more) {
        arguments.insert(arguments.end(), more);
    };
    // Raw input says all about itself on the command line. Probing would read on in one pipe
    // before ffmpeg opens the other, while the other holds what we must write first.
    const auto rawInput = [&add](int pipe, std::initializer_list<std::string> format) {
        add({"-probesize", "32", "-analyzeduration", "0"});
        add(format);
        add({"-i", "pipe:" + std::to_string(pipe)});
    };
    rawInput(pictures, {"-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                        std::to_string(width) + "x" + std::to_string(height), "-r", std::to_string(fps)});
    if (sound >= 0) {
        rawInput(sound, {"-f", "f32le", "-ar", std::to_string(audio::SampleRate), "-ac",
                         std::to_string(audio::Channels)});
        add({"-map", "0:v", "-map", "1:a", "-c:a", "aac"});
    }
    // The pictures are converted without scaling: the fastest conversion gives the same picture
    // within the encoder's own error (44 dB apart), for a twelfth less of the encoder's time.
    add({"-sws_flags", "fast_bilinear", "-c:v", "libx264", "-preset", "superfast", "-pix_fmt", "yuv420p",
         "-movflags", "+faststart"});
    // "file:" keeps a name with a colon or a leading dash a file name.
    add({"file:" + file});
    return arguments;
}

// ffmpeg with the read ends at their own numbers; -1 when it cannot be started.
pid_t spawnFfmpeg(const std::vector<std::string>& arguments, const Pipe& pictures, const Pipe& sound)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // A descriptor duplicated onto itself loses its close-on-exec flag, in the child only.
    for (const int end : {pictures.read, sound.read})
        if (end >= 0)
            posix_spawn_file_actions_adddup2(&actions, end, end);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

} // namespace

VideoPipe::VideoPipe(const std::string& file, int width, int height, double fps, bool withSound)
    : file_(file),
      maxQueuedPictureBytes_(std::size_t(width) * height * 4 * static_cast<std::size_t>(std::ceil(fps / 4)))
{
    Pipe pictures = openPipe();
    Pipe sound = withSound ? openPipe() : Pipe{};
    if (pictures.read >= 0 && (!withSound || sound.read >= 0))
        ffmpeg_ =
            spawnFfmpeg(ffmpegArguments(partialPath(file), width, height, fps, pictures.read, sound.read),
                        pictures, sound);
    closeEnd(pictures.read);
    closeEnd(sound.read);
    pictures_.open(pictures.write);
    sound_.open(sound.write);
}

VideoPipe::~VideoPipe()
{
    finish(false);
}

bool VideoPipe::write(const gfx::FramePixels& frame)
{
    if (!open())
        return false;
    ++picturesWritten_;
    if (picturesWritten_ > 1 && pictures_.queued() == 0 && pictures_.unread() == 0)
        ++encoderRanDry_;
    pictures_.queue(frame.pixels(), std::size_t(frame.width) * frame.height * 4);
    const auto begun = std::chrono::steady_clock::now();
    const bool passed = passUntil(maxQueuedPictureBytes_, SIZE_MAX);
    rendererWaited_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    return passed;
}

bool VideoPipe::writeSound(const float* samples, std::size_t frames)
{
    if (!sound_.isOpen())
        return true;
    sound_.queue(samples, frames * audio::Channels * sizeof(float));
    return sound_.pass();
}

bool VideoPipe::finish(bool keep)
{
    if (!open())
        return false;
    const bool encoded = endEncoder();
    const std::string partial = partialPath(file_);
    if (encoded && keep && std::rename(partial.c_str(), file_.c_str()) == 0)
        return true;
    if (encoded && keep)
        failure_ = "cannot name " + partial + " " + file_ + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return !keep && failure_.empty();
}

// Passes on what is queued, ends the pipes and waits for ffmpeg; true when it made the video.
bool VideoPipe::endEncoder()
{
    // The pictures end first: ffmpeg may wait for their end before it takes the last sound.
    bool passed = passUntil(0, SIZE_MAX);
    pictures_.close();
    passed = passUntil(0, 0) && passed;
    sound_.close();
    int status = 0;
    rusage usage{};
    pid_t waited = -1;
    do
        waited = ::wait4(ffmpeg_, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    ffmpeg_ = -1;
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + time.tv_usec * 1e-6;
    };
    encoderSeconds_ = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    if (waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && passed)
        return true;
    if (failure_.empty())
        failure_ = waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) != 0
                       ? "ffmpeg ended with status " + std::to_string(WEXITSTATUS(status))
                       : std::string("ffmpeg stopped before the video was complete");
    return false;
}

std::string VideoPipe::costs() const
{
    char line[200];
    std::snprintf(line, sizeof line,
                  "video: the renderer waited %.1f s for the encoder; the encoder had run dry before %ld of "
                  "%ld pictures and used %.1f s of processor time\n",
                  rendererWaited_, encoderRanDry_, picturesWritten_, encoderSeconds_);
    return line;
}

// Passes queued bytes on as the pipes take them until no more than the given amounts wait;
// false once ffmpeg has gone.
bool VideoPipe::passUntil(std::size_t pictureBytes, std::size_t soundBytes)
{
    while (pictures_.queued() > pictureBytes || sound_.queued() > soundBytes) {
        pollfd pipes[] = {pictures_.pollRequest(), sound_.pollRequest()};
        if (::poll(pipes, 2, -1) < 0 && errno != EINTR)
            return false;
        if (!pictures_.pass() || !sound_.pass())
            return false;
    }
    return true;
}

} // namespace orb::render
