#pragma once

// ImageTexture -- a texture from the bytes of an image file (PNG, with alpha).
//
// Does: decode from memory, resample to the asked size with a triangle filter (each channel on
//       its own, colour is not premultiplied by alpha), and store as one A8R8G8B8 level.
// Does not: build mip levels or keep the image's own size unless asked (width or height 0).
//
//   std::string error;
//   auto texture = createTextureFromImage(device, bytes, size, 1280, 720, &error);  // null + reason

#include "platform/gfx/Device.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orb::fx {

std::unique_ptr<gfx::Texture> createTextureFromImage(gfx::Device& device, const void* data, std::size_t size,
                                                     int width, int height, std::string* error);

// The texels createTextureFromImage stores: A8R8G8B8 as it lies in memory (B, G, R, A), rows
// top first. No texels + reason when the bytes are not an image.
struct ImageTexels
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> bgra;
};
ImageTexels decodeImage(const void* data, std::size_t size, int width, int height, std::string* error);

} // namespace orb::fx
