#pragma once

// MeshData -- a mesh's triangles as plain arrays, before they go to the device.
//
// Subsets are the triangles of one material, in material order (subset i = material i); the
// index list holds subset 0's triangles first, then subset 1's, and so on. Coordinates are
// Direct3D's: left-handed, and a triangle is front-facing when it runs clockwise on screen,
// that is when cross(b - a, c - a) points along its outward normal.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orb::fx {

struct MeshVertex
{
    float position[3];
    float normal[3];
    float texCoord[2];
};

struct MeshSubset
{
    std::uint32_t firstTriangle;
    std::uint32_t triangleCount;
};

struct MeshData
{
    bool hasTexCoords = false;
    std::vector<MeshVertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<MeshSubset> subsets;
};

// A DirectX .x file (text or binary) in its own coordinates, frame transforms applied.
std::optional<MeshData> readXFile(const void* data, std::size_t size, std::string* error);

// A box centred on the origin as D3DX makes it: 24 vertices with face normals, 12 triangles.
MeshData boxData(float width, float height, float depth);

} // namespace orb::fx
