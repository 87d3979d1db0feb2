#include "VideoPipe.h"

#include "platform/audio/Mp3Stream.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
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
// non-blocking, the read end ffmpeg shares stays as ffmpeg expects it.
Pipe openPipe()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
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
    add({"-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-movflags", "+faststart"});
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

// Blocks until one of `pipes` has room, or is broken; false when waiting failed.
bool waitForRoom(pollfd* pipes, nfds_t count)
{
    while (::poll(pipes, count, -1) < 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

VideoPipe::VideoPipe(const std::string& file, int width, int height, double fps, bool withSound)
{
    Pipe pictures = openPipe();
    Pipe sound = withSound ? openPipe() : Pipe{};
    if (pictures.read >= 0 && (!withSound || sound.read >= 0))
        ffmpeg_ = spawnFfmpeg(ffmpegArguments(file, width, height, fps, pictures.read, sound.read), pictures,
                              sound);
    closeEnd(pictures.read);
    closeEnd(sound.read);
    pictures_ = pictures.write;
    sound_ = sound.write;
}

VideoPipe::~VideoPipe()
{
    finish();
}

bool VideoPipe::write(const gfx::FramePixels& frame)
{
    return open() && writePicture(reinterpret_cast<const char*>(frame.pixels()),
                                  std::size_t(frame.width) * frame.height * 4);
}

bool VideoPipe::writeSound(const float* samples, std::size_t frames)
{
    if (sound_ < 0)
        return true;
    const auto* bytes = reinterpret_cast<const char*>(samples);
    queuedSound_.insert(queuedSound_.end(), bytes, bytes + frames * audio::Channels * sizeof(float));
    return passQueuedSound();
}

bool VideoPipe::finish()
{
    closeEnd(pictures_);
    const bool soundPassed = passAllQueuedSound();
    closeEnd(sound_);
    if (!open())
        return false;
    int status = 0;
    pid_t waited = -1;
    do
        waited = ::waitpid(ffmpeg_, &status, 0);
    while (waited < 0 && errno == EINTR);
    ffmpeg_ = -1;
    return soundPassed && waited > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool VideoPipe::writePicture(const char* bytes, std::size_t size)
{
    while (size > 0) {
        pollfd pipes[] = {{pictures_, POLLOUT, 0}, {queuedSound_.empty() ? -1 : sound_, POLLOUT, 0}};
        if (!waitForRoom(pipes, 2) || (pipes[1].revents != 0 && !passQueuedSound()))
            return false;
        if (pipes[0].revents == 0)
            continue;
        const ssize_t written = ::write(pictures_, bytes, size);
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (written > 0) {
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
    }
    return true;
}

// As much queued sound as its pipe takes now; false when ffmpeg has gone.
bool VideoPipe::passQueuedSound()
{
    if (queuedSound_.empty())
        return true;
    const ssize_t written = ::write(sound_, queuedSound_.data(), queuedSound_.size());
    if (written < 0)
        return errno == EAGAIN || errno == EINTR;
    queuedSound_.erase(queuedSound_.begin(), queuedSound_.begin() + written);
    return true;
}

bool VideoPipe::passAllQueuedSound()
{
    while (!queuedSound_.empty()) {
        pollfd pipe = {sound_, POLLOUT, 0};
        if (!waitForRoom(&pipe, 1) || !passQueuedSound())
            return false;
    }
    return true;
}

} // namespace orb::render
