#include "FrameSinks.h"

#include <cstdio>
#include <stb/stb_image_write.h>
#include <vector>

namespace orb::render {

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

} // namespace orb::render
