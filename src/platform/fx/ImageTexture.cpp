#include "platform/fx/ImageTexture.h"

#include <climits>
#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>
#include <string>
#include <vector>

namespace orb::fx {

namespace {

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

// stb_image sizes its buffers from the header before it reads a pixel, so a few bytes claiming a
// huge image would cost gigabytes and minutes. The production's images are 1280 x 720.
constexpr long long MaxPixels = 8192LL * 8192;

Image failed(std::string* error, const std::string& reason)
{
    if (error != nullptr)
        *error = reason;
    return {};
}

Image decode(const void* data, std::size_t size, std::string* error)
{
    if (data == nullptr || size == 0 || size > INT_MAX)
        return failed(error, "no image bytes");
    const auto* bytes = static_cast<const stbi_uc*>(data);
    Image image;
    int channels = 0;
    if (!stbi_info_from_memory(bytes, static_cast<int>(size), &image.width, &image.height, &channels))
        return failed(error, std::string("cannot decode the image: ") + stbi_failure_reason());
    // A PNM header cut short reads as an image of 0 x 0 pixels, which stb_image then "decodes".
    const long long pixelCount = static_cast<long long>(image.width) * image.height;
    if (pixelCount <= 0 || pixelCount > MaxPixels)
        return failed(error, "the image's " + std::to_string(image.width) + " x " +
                                 std::to_string(image.height) + " pixels are not 1 to " +
                                 std::to_string(MaxPixels));
    stbi_uc* pixels =
        stbi_load_from_memory(bytes, static_cast<int>(size), &image.width, &image.height, &channels, 4);
    if (pixels == nullptr)
        return failed(error, std::string("cannot decode the image: ") + stbi_failure_reason());
    image.rgba.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height * 4);
    stbi_image_free(pixels);
    return image;
}

// The triangle filter, as D3DX resamples, where an image grows. Where it shrinks, an average over
// each output pixel's area: the library's triangle filter fails an assertion, and ends the
// process, on ordinary reductions such as 4000 x 1000 to 1280 x 720.
stbir_filter filterFor(int from, int to)
{
    return to < from ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
}

Image resized(const Image& image, int width, int height)
{
    if (width == image.width && height == image.height)
        return image;
    Image scaled{width, height, std::vector<unsigned char>(static_cast<std::size_t>(width) * height * 4)};
    stbir_resize(image.rgba.data(), image.width, image.height, 0, scaled.rgba.data(), width, height, 0,
                 STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP,
                 filterFor(image.width, width), filterFor(image.height, height), STBIR_COLORSPACE_LINEAR,
                 nullptr);
    return scaled;
}

} // namespace

ImageTexels decodeImage(const void* data, std::size_t size, int width, int height, std::string* error)
{
    Image image = decode(data, size, error);
    if (image.rgba.empty())
        return {};
    image = resized(image, width > 0 ? width : image.width, height > 0 ? height : image.height);
    for (std::size_t i = 0; i < image.rgba.size(); i += 4)
        std::swap(image.rgba[i], image.rgba[i + 2]);
    return {image.width, image.height, std::move(image.rgba)};
}

std::unique_ptr<gfx::Texture> createTextureFromImage(gfx::Device& device, const void* data, std::size_t size,
                                                     int width, int height, std::string* error)
{
    const ImageTexels image = decodeImage(data, size, width, height, error);
    if (image.bgra.empty())
        return nullptr;
    std::unique_ptr<gfx::Texture> texture =
        device.createTexture(image.width, image.height, 1, 0, gfx::Format::A8R8G8B8, error);
    if (!texture)
        return nullptr;
    texture->update(0, image.bgra.data(), static_cast<std::size_t>(image.width) * 4);
    return texture;
}

} // namespace orb::fx
