#include "platform/fx/Mesh.h"

#include <array>

namespace orb::fx {

namespace {

using Vector3 = std::array<float, 3>;

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

struct Face
{
    Vector3 normal;
    Vector3 up; // any axis along the face
};

constexpr Face BoxFaces[6] = {{{-1, 0, 0}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 1, 0}},
                              {{0, -1, 0}, {0, 0, 1}}, {{0, 0, 1}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}}};

} // namespace

MeshData boxData(float width, float height, float depth)
{
    const float half[3] = {width / 2, height / 2, depth / 2};
    MeshData box;
    for (const Face& face : BoxFaces) {
        // With s x t = normal, corners (-s-t, -s+t, s+t, s-t) taken as (0, 2, 1) and (0, 3, 2) run
        // clockwise seen from outside.
        const Vector3& t = face.up;
        const Vector3 s = cross(t, face.normal);
        const auto base = static_cast<std::uint32_t>(box.vertices.size());
        for (const auto& [a, b] : {std::pair{-1.0f, -1.0f}, std::pair{-1.0f, 1.0f}, std::pair{1.0f, 1.0f},
                                   std::pair{1.0f, -1.0f}}) {
            MeshVertex vertex{};
            for (int axis = 0; axis < 3; ++axis) {
                vertex.position[axis] = (face.normal[axis] + a * s[axis] + b * t[axis]) * half[axis];
                vertex.normal[axis] = face.normal[axis];
            }
            box.vertices.push_back(vertex);
        }
        box.indices.insert(box.indices.end(), {base, base + 2, base + 1, base, base + 3, base + 2});
    }
    box.subsets.push_back({0, 12});
    return box;
}

std::unique_ptr<Mesh> Mesh::create(gfx::Device& device, MeshData data, std::string* error)
{
    const std::uint32_t fvf = gfx::Fvf::Xyz | gfx::Fvf::Normal |
                              (data.hasTexCoords ? static_cast<std::uint32_t>(gfx::Fvf::Tex1) : 0u);
    std::unique_ptr<gfx::Geometry> geometry =
        device.createGeometry(fvf, data.vertices.data(), static_cast<std::uint32_t>(data.vertices.size()),
                              sizeof(MeshVertex), data.indices, error);
    if (!geometry)
        return nullptr;
    return std::unique_ptr<Mesh>(new Mesh(device, std::move(data), std::move(geometry)));
}

std::unique_ptr<Mesh> Mesh::loadX(gfx::Device& device, const void* bytes, std::size_t size,
                                  std::string* error)
{
    std::optional<MeshData> data = readXFile(bytes, size, error);
    return data ? create(device, std::move(*data), error) : nullptr;
}

std::unique_ptr<Mesh> Mesh::createBox(gfx::Device& device, float width, float height, float depth,
                                      std::string* error)
{
    return create(device, boxData(width, height, depth), error);
}

Mesh::Mesh(gfx::Device& device, MeshData data, std::unique_ptr<gfx::Geometry> geometry)
    : device_(device), deviceLifetime_(device.lifetime()), data_(std::move(data)),
      geometry_(std::move(geometry))
{}

void Mesh::drawSubset(unsigned subset)
{
    if (subset < data_.subsets.size() && !deviceLifetime_.expired())
        device_.drawIndexedTriangles(*geometry_, data_.subsets[subset].firstTriangle,
                                     data_.subsets[subset].triangleCount);
}

} // namespace orb::fx
