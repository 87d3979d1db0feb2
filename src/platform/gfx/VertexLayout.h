#pragma once

// VertexLayout -- where each attribute of a Direct3D vertex format (FVF) lies in a vertex.
// Internal to the device. Attribute locations are fixed for every program:
//   0 position (vec3, or vec4 x, y, z, rhw), 1 normal, 2 diffuse colour, 3 texture coordinate 0.

#include <cstdint>

namespace orb::gfx {

constexpr unsigned PositionLocation = 0;
constexpr unsigned NormalLocation = 1;
constexpr unsigned DiffuseLocation = 2;
constexpr unsigned TexCoordLocation = 3;

struct VertexLayout
{
    bool valid = false; // a position of a kind the device draws
    bool pretransformed = false;
    int position = -1; // byte offsets, -1 when absent
    int normal = -1;
    int diffuse = -1;
    int texCoord = -1;
    unsigned size = 0;
};

VertexLayout vertexLayout(std::uint32_t fvf);

} // namespace orb::gfx
