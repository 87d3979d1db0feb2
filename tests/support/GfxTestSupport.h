#pragma once

// Off-screen devices and vertex helpers for the graphics device tests.

#include "platform/fx/Matrix.h"
#include "platform/gfx/Device.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace orb::gfx::test {

constexpr Color Black = argb(255, 0, 0, 0);
constexpr Color Red = argb(255, 255, 0, 0);
constexpr Color Green = argb(255, 0, 255, 0);
constexpr Color Blue = argb(255, 0, 0, 255);
constexpr Color White = argb(255, 255, 255, 255);

struct PretransformedVertex
{
    float x, y, z, rhw, u, v;
};

struct ColoredVertex
{
    float x, y, z;
    Color diffuse;
    float u, v;
};

std::unique_ptr<Device> makeDevice(int width, int height, int multisampleType = 0, FrameReader reader = {});

using fx::perspectiveFovLH;
using fx::translation;

// Draws a pre-transformed rectangle covering pixels [left, right) x [top, bottom) with texture
// coordinates (u0, v0) at the top left to (u1, v1) at the bottom right.
void drawRectangle(Device& device, float left, float top, float right, float bottom, float z = 0.0f,
                   float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f);

// A texture of the given ARGB pixels, rows top first.
// PNG bytes of an image given as ARGB colours, rows top first.
std::string pngBytes(int width, int height, const std::vector<Color>& pixels);

std::unique_ptr<Texture> makeTexture(Device& device, int width, int height, const std::vector<Color>& pixels);

class DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device_ = makeDevice(Width, Height);
        ASSERT_NE(device_, nullptr);
    }

    Color pixel(int x, int y) { return device_->readPixels(device_->backBuffer())[y * Width + x]; }
    std::vector<Color> frame() { return device_->readPixels(device_->backBuffer()); }
    void clear(Color color) { device_->clear(ClearFlag::Target | ClearFlag::ZBuffer, color, 1.0f, 0); }

    static constexpr int Width = 64;
    static constexpr int Height = 48;
    std::unique_ptr<Device> device_;
};

// A file's bytes; none when it cannot be read.
std::vector<unsigned char> readFile(const char* path);

// Colours compared channel by channel within a tolerance.
::testing::AssertionResult near(Color actual, Color expected, int tolerance = 1);

} // namespace orb::gfx::test
