// Feeds arbitrary bytes to the image reader as a scene loads a PNG from the FileSystem, up to
// the texels that would be sent to the texture.

#include "platform/fx/ImageTexture.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The loading screen's bar cap: small enough to resample on every input.
constexpr int Width = 5;
constexpr int Height = 23;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const orb::fx::ImageTexels texels = orb::fx::decodeImage(data, size, Width, Height, &error);
    const bool whole = texels.width == Width && texels.height == Height &&
                       texels.bgra.size() == std::size_t{Width} * Height * 4;
    if (texels.bgra.empty() ? error.empty() : !whole)
        std::abort();
    return 0;
}
