#include "FrameSinks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stb/stb_image_write.h>
#include <vector>

namespace orb::render {

namespace {

// Writes `bytes` to `path` by way of its partial name; on failure nothing is left behind and the
// reason is returned.
std::string writeWhole(const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string partial = partialPath(path);
    std::FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr)
        return "cannot create " + partial + ": " + std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0; // a full disk may show only here
    if (!written || !closed) {
        const std::string reason =
            "cannot write " + partial + ": " + std::strerror(written ? errno : writeError);
        std::remove(partial.c_str());
        return reason;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const std::string reason = "cannot name " + partial + " " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return reason;
    }
    return {};
}

} // namespace

std::string partialPath(const std::string& path)
{
    std::filesystem::path partial(path);
    const std::filesystem::path extension = partial.extension();
    partial.replace_extension(".part");
    partial += extension;
    return partial.string();
}

bool FrameSink::settle(const std::string& file, bool written, bool keep)
{
    const std::string partial = partialPath(file);
    if (written && keep && std::rename(partial.c_str(), file.c_str()) == 0)
        return true;
    if (written && keep)
        failure_ = "cannot name " + partial + " " + file + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return !keep && failure_.empty();
}

bool PngFrames::write(const gfx::FramePixels& frame)
{
    const std::uint8_t* pixels = frame.layout == gfx::PixelLayout::Bgra ? frame.pixels() : nullptr;
    if (pixels == nullptr) {
        failure_ = "reading a picture back as B, G, R, A failed";
        return false;
    }
    std::vector<unsigned char> rgba(pixels, pixels + std::size_t(frame.width) * frame.height * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        std::swap(rgba[i], rgba[i + 2]); // B, G, R, A to R, G, B, A
        rgba[i + 3] = 255;               // the back buffer's alpha is not part of the picture
    }
    std::vector<unsigned char> png;
    const auto append = [](void* context, void* data, int size) {
        auto& bytes = *static_cast<std::vector<unsigned char>*>(context);
        const auto* first = static_cast<const unsigned char*>(data);
        bytes.insert(bytes.end(), first, first + size);
    };
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", written_++);
    if (stbi_write_png_to_func(append, &png, frame.width, frame.height, 4, rgba.data(), frame.width * 4) == 0)
        failure_ = std::string("cannot encode ") + (name + 1);
    else
        failure_ = writeWhole(directory_ + name, png);
    return failure_.empty();
}

} // namespace orb::render
