#include "FrameSinks.h"

#include "PartialFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stb/stb_image_write.h>
#include <vector>

namespace orb::render {

app::Failure writeWhole(const std::string& file, const std::vector<unsigned char>& bytes)
{
    app::Result<PartialFile> partial = PartialFile::create(file);
    if (!partial)
        return partial.failure();
    const std::string step = "cannot write " + partial->path();
    std::FILE* stream = std::fopen(partial->path().c_str(), "wb");
    if (stream == nullptr)
        return app::Failure::ofSystem(step);
    // An empty file (a video without chapters, say) writes nothing, and hands fwrite no buffer.
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(stream) == 0; // a full disk may show only here
    if (!written || !closed)
        return {step, std::strerror(written ? errno : writeError)};
    return partial->keep();
}

namespace {

// The picture as a PNG file's bytes; empty when it could not be read back or encoded.
std::vector<unsigned char> pngOf(const gfx::FramePixels& frame)
{
    const std::uint8_t* pixels = frame.layout == gfx::PixelLayout::Bgra ? frame.pixels() : nullptr;
    if (pixels == nullptr)
        return {};
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
    if (stbi_write_png_to_func(append, &png, frame.width, frame.height, 4, rgba.data(), frame.width * 4) == 0)
        return {};
    return png;
}

} // namespace

app::Failure PngFrames::write(const gfx::FramePixels& frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", written_++);
    const std::vector<unsigned char> png = pngOf(frame);
    if (png.empty())
        return {std::string("cannot read back or encode ") + (name + 1)};
    return writeWhole(directory_ + name, png);
}

app::Failure PngPicture::write(const gfx::FramePixels& frame)
{
    *png_ = pngOf(frame);
    return png_->empty() ? app::Failure{"cannot read back or encode the picture"} : app::Failure{};
}

} // namespace orb::render
