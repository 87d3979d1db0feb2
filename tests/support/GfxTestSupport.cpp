#include "GfxTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stb/stb_image_write.h>

namespace orb::gfx::test {

std::vector<unsigned char> readFile(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string pngBytes(int width, int height, const std::vector<Color>& pixels)
{
    std::vector<unsigned char> rgba;
    for (Color c : pixels)
        rgba.insert(rgba.end(), {static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 8),
                                 static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 24)});
    std::string bytes;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            static_cast<std::string*>(context)->append(static_cast<char*>(data), size);
        },
        &bytes, width, height, 4, rgba.data(), width * 4);
    return bytes;
}

std::unique_ptr<Device> makeDevice(int width, int height, int multisampleType, FrameReader reader)
{
    std::string error;
    std::unique_ptr<Device> device = Device::create(createOffscreenBackend(&error, std::move(reader)),
                                                    {width, height, multisampleType}, &error);
    if (!device)
        ADD_FAILURE() << "no off-screen device: " << error;
    return device;
}

void drawRectangle(Device& device, float left, float top, float right, float bottom, float z, float u0,
                   float v0, float u1, float v1)
{
    const PretransformedVertex strip[4] = {{left - 0.5f, top - 0.5f, z, 1, u0, v0},
                                           {right - 0.5f, top - 0.5f, z, 1, u1, v0},
                                           {left - 0.5f, bottom - 0.5f, z, 1, u0, v1},
                                           {right - 0.5f, bottom - 0.5f, z, 1, u1, v1}};
    device.setFvf(Fvf::XyzRhw | Fvf::Tex1);
    device.drawPrimitiveUP(PrimitiveType::TriangleStrip, 2, strip, sizeof strip[0]);
}

std::unique_ptr<Texture> makeTexture(Device& device, int width, int height, const std::vector<Color>& pixels)
{
    std::string error;
    std::unique_ptr<Texture> texture = device.createTexture(width, height, 1, 0, Format::A8R8G8B8, &error);
    if (!texture) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    texture->update(0, pixels.data(), static_cast<std::size_t>(width) * 4);
    return texture;
}

::testing::AssertionResult near(Color actual, Color expected, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const int difference =
            static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(difference) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "0x%08X is not 0x%08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace orb::gfx::test
