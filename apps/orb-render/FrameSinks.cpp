#include "FrameSinks.h"

#include <cstdio>
#include <stb/stb_image_write.h>
#include <sys/wait.h>
#include <vector>

namespace orb::render {

namespace {

// Single quotes for the shell, with any quote inside escaped.
std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

} // namespace

bool PngFrames::write(const gfx::FramePixels& frame)
{
    const std::uint8_t* pixels = frame.pixels();
    std::vector<unsigned char> rgba(pixels, pixels + std::size_t(frame.width) * frame.height * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        std::swap(rgba[i], rgba[i + 2]); // B, G, R, A to R, G, B, A
        rgba[i + 3] = 255;               // the back buffer's alpha is not part of the picture
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", written_++);
    return stbi_write_png((directory_ + name).c_str(), frame.width, frame.height, 4, rgba.data(),
                          frame.width * 4) != 0;
}

VideoPipe::VideoPipe(const std::string& file, int width, int height, double fps, const std::string& music,
                     double musicStart)
{
    std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt bgra -s " + std::to_string(width) +
                          "x" + std::to_string(height) + " -r " + std::to_string(fps) + " -i -";
    if (!music.empty())
        command += " -ss " + std::to_string(musicStart) + " -i " + quoted(music) +
                   " -map 0:v -map 1:a -c:a aac -shortest";
    command += " -c:v libx264 -preset veryfast -pix_fmt yuv420p -movflags +faststart " + quoted(file);
    pipe_ = ::popen(command.c_str(), "w");
}

VideoPipe::~VideoPipe()
{
    finish();
}

bool VideoPipe::write(const gfx::FramePixels& frame)
{
    const std::size_t size = std::size_t(frame.width) * frame.height * 4;
    return pipe_ != nullptr && std::fwrite(frame.pixels(), 1, size, pipe_) == size;
}

bool VideoPipe::finish()
{
    if (pipe_ == nullptr)
        return false;
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace orb::render
