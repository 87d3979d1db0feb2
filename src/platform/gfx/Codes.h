#pragma once

// Codes -- Direct3D 9's numeric codes for everything the device takes by value.
//
// The engine and its scripts speak in these numbers (a script's format 21 is A8R8G8B8), so the
// device keeps them. Selectors are scoped enums; values that go into a render or sampler state
// are plain constants inside a struct, so they convert to the state's 32-bit value as they do
// in Direct3D:  device.setRenderState(RenderState::SrcBlend, Blend::SrcAlpha);

#include <cstdint>

namespace orb::gfx {

enum class Format : std::uint32_t
{
    Unknown = 0,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    A8 = 28,
    L8 = 50,
    D24S8 = 75,
    D24X8 = 77,
    D16 = 80,
    L16 = 81,
    A16B16G16R16F = 113,
    R32F = 114,
    A32B32G32R32F = 116,
};

enum class RenderState : std::uint32_t
{
    ZEnable = 7,
    ZWriteEnable = 14,
    SrcBlend = 19,
    DestBlend = 20,
    CullMode = 22,
    ZFunc = 23,
    AlphaBlendEnable = 27,
    Lighting = 137,
    BlendOp = 171,
    ScissorTestEnable = 174,
    BlendFactor = 193,
};

enum class SamplerState : std::uint32_t
{
    AddressU = 1,
    AddressV = 2,
    AddressW = 3,
    MagFilter = 5,
    MinFilter = 6,
    MipFilter = 7,
};

enum class TransformType : std::uint32_t
{
    View = 2,
    Projection = 3,
    World = 256,
};

enum class PrimitiveType : std::uint32_t
{
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

struct Blend
{
    enum : std::uint32_t
    {
        Zero = 1,
        One = 2,
        SrcColor = 3,
        InvSrcColor = 4,
        SrcAlpha = 5,
        InvSrcAlpha = 6,
        DestAlpha = 7,
        InvDestAlpha = 8,
        DestColor = 9,
        InvDestColor = 10,
        SrcAlphaSat = 11,
        BlendFactor = 14,
        InvBlendFactor = 15,
    };
};

struct BlendOp
{
    enum : std::uint32_t
    {
        Add = 1,
        Subtract = 2,
        RevSubtract = 3,
        Min = 4,
        Max = 5,
    };
};

struct Cull
{
    enum : std::uint32_t
    {
        None = 1,
        Clockwise = 2,
        CounterClockwise = 3,
    };
};

struct Cmp
{
    enum : std::uint32_t
    {
        Never = 1,
        Less = 2,
        Equal = 3,
        LessEqual = 4,
        Greater = 5,
        NotEqual = 6,
        GreaterEqual = 7,
        Always = 8,
    };
};

struct TextureAddress
{
    enum : std::uint32_t
    {
        Wrap = 1,
        Mirror = 2,
        Clamp = 3,
        Border = 4,
        MirrorOnce = 5,
    };
};

struct TextureFilter
{
    enum : std::uint32_t
    {
        None = 0,
        Point = 1,
        Linear = 2,
        Anisotropic = 3,
    };
};

struct Fvf
{
    enum : std::uint32_t
    {
        Xyz = 0x002,
        XyzRhw = 0x004,
        Normal = 0x010,
        Diffuse = 0x040,
        Tex1 = 0x100,
    };
};

struct ClearFlag
{
    enum : std::uint32_t
    {
        Target = 1,
        ZBuffer = 2,
        Stencil = 4,
    };
};

struct Usage
{
    enum : std::uint32_t
    {
        RenderTarget = 0x1,
        DepthStencil = 0x2,
    };
};

// A RECT: pixels [left, right) x [top, bottom), rows from the top.
struct Rect
{
    int left, top, right, bottom;

    bool empty() const { return left >= right || top >= bottom; }
};

// A D3DCOLOR: 0xAARRGGBB.
using Color = std::uint32_t;

constexpr Color argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a & 0xFF) << 24 | (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
}

// Row-major 4 x 4, applied to row vectors (v' = v * M), as in Direct3D.
struct Matrix
{
    float m[4][4];

    static constexpr Matrix identity() { return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}; }
    friend bool operator==(const Matrix&, const Matrix&) = default;
};

Matrix operator*(const Matrix& a, const Matrix& b);

} // namespace orb::gfx
