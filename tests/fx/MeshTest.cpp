#include "platform/fx/Mesh.h"

#include "GfxTestSupport.h"
#include "LitEffect.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Matrix.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <set>

namespace orb::fx {
namespace {

using Vector3 = std::array<float, 3>;

Vector3 at(const MeshData& mesh, std::uint32_t index)
{
    const float* p = mesh.vertices[index].position;
    return {p[0], p[1], p[2]};
}

Vector3 windingNormal(const MeshData& mesh, std::size_t triangle)
{
    const Vector3 a = at(mesh, mesh.indices[triangle * 3]), b = at(mesh, mesh.indices[triangle * 3 + 1]),
                  c = at(mesh, mesh.indices[triangle * 3 + 2]);
    const Vector3 u = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

float dot(const Vector3& a, const float* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

TEST(Box, HasTwentyFourVerticesWithOutwardFaceNormalsAndClockwiseFaces)
{
    const MeshData box = boxData(2.0f, 4.0f, 6.0f);
    ASSERT_EQ(box.vertices.size(), 24u);
    ASSERT_EQ(box.indices.size(), 36u);
    ASSERT_EQ(box.subsets.size(), 1u);
    EXPECT_EQ(box.subsets[0].triangleCount, 12u);
    EXPECT_FALSE(box.hasTexCoords);
    const float half[3] = {1.0f, 2.0f, 3.0f};
    for (const MeshVertex& vertex : box.vertices) {
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_EQ(std::abs(vertex.position[axis]), half[axis]) << "a corner of the box";
            if (vertex.normal[axis] != 0.0f) {
                EXPECT_EQ(vertex.position[axis], vertex.normal[axis] * half[axis])
                    << "the normal points outward";
            }
        }
    }
    for (std::size_t triangle = 0; triangle < 12; ++triangle) {
        const float* normal = box.vertices[box.indices[triangle * 3]].normal;
        EXPECT_GT(dot(windingNormal(box, triangle), normal), 0.0f) << "triangle " << triangle;
    }
}

// Two materials; the second face lies in a child frame moved 10 along x.
constexpr const char* TwoMaterials = R"(xof 0303txt 0032
Material Red { 1.0;0.0;0.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
Material Blue { 0.0;0.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
Frame Root {
  FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 0.0,0.0,0.0,1.0;; }
  Frame Moved {
    FrameTransformMatrix { 1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, 10.0,0.0,0.0,1.0;; }
    Mesh Pair {
      6;
      0.0;0.0;0.0;, 0.0;1.0;0.0;, 1.0;0.0;0.0;,
      0.0;0.0;5.0;, 0.0;2.0;5.0;, 2.0;0.0;5.0;;
      2;
      3;0,1,2;,
      3;3,4,5;;
      MeshNormals { 1; 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;0,0,0;; }
      MeshTextureCoords { 6; 0.0;0.0;, 0.0;1.0;, 1.0;0.0;, 0.0;0.0;, 0.0;1.0;, 1.0;0.0;; }
      MeshMaterialList { 2; 2; 1, 0;; {Red} {Blue} }
    }
  }
}
)";

TEST(XFile, KeepsTheFilesCoordinatesWindingAndOneSubsetPerMaterial)
{
    std::string error;
    const std::optional<MeshData> mesh = readXFile(TwoMaterials, std::strlen(TwoMaterials), &error);
    ASSERT_TRUE(mesh) << error;
    ASSERT_EQ(mesh->subsets.size(), 2u);
    EXPECT_TRUE(mesh->hasTexCoords);
    // Face 1 has material 0, face 0 material 1; both moved 10 along x by their frame.
    ASSERT_EQ(mesh->subsets[0].triangleCount, 1u);
    ASSERT_EQ(mesh->subsets[1].triangleCount, 1u);
    const auto triangle = [&](const MeshSubset& subset) {
        std::array<Vector3, 3> corners;
        for (int i = 0; i < 3; ++i)
            corners[i] = at(*mesh, mesh->indices[subset.firstTriangle * 3 + i]);
        return corners;
    };
    EXPECT_EQ(triangle(mesh->subsets[0]), (std::array<Vector3, 3>{{{10, 0, 5}, {10, 2, 5}, {12, 0, 5}}}));
    EXPECT_EQ(triangle(mesh->subsets[1]), (std::array<Vector3, 3>{{{10, 0, 0}, {10, 1, 0}, {11, 0, 0}}}));
    const float* normal = mesh->vertices[mesh->indices[0]].normal;
    EXPECT_EQ((Vector3{normal[0], normal[1], normal[2]}), (Vector3{0, 0, -1}));
    // (0,0) -> (0,1) -> (1,0) runs clockwise seen from -z, the side its normal faces.
    EXPECT_LT(windingNormal(*mesh, 0)[2], 0.0f);
}

TEST(XFile, RefusesBytesThatAreNotAMesh)
{
    std::string error;
    EXPECT_FALSE(readXFile("xof 0303txt 0032\nnonsense {", 26, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(readXFile(nullptr, 0, &error));
}

TEST(Mesh, ALitBoxDrawnThroughAnEffectShowsItsThreeNearFacesLitByTheirAngle)
{
    constexpr int Size = 64;
    auto device = gfx::test::makeDevice(Size, Size);
    ASSERT_NE(device, nullptr);
    std::string error;
    auto effect = Effect::create(*device, test::LitEffect, std::strlen(test::LitEffect), &error);
    ASSERT_NE(effect, nullptr) << error;
    auto box = Mesh::createBox(*device, 1.0f, 1.0f, 1.0f, &error);
    ASSERT_NE(box, nullptr) << error;

    // Turned so that its right (+x), top (+y) and front (-z) faces face the camera.
    const gfx::Matrix turn = rotationYawPitchRoll(0.5f, -0.5f, 0.0f);
    const gfx::Matrix world = turn * translation(0, 0, 3);
    const gfx::Matrix projection = perspectiveFovLH(1.5707964f, 1.0f, 0.1f, 100.0f);
    const float orange[4] = {1.0f, 0.5f, 0.0f, 0.0f};
    device->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, gfx::test::Black, 1.0f, 0);
    effect->begin();
    effect->beginPass(0);
    effect->setMatrix(effect->parameterByName("world"), world);
    effect->setMatrix(effect->parameterByName("view"), gfx::Matrix::identity());
    effect->setMatrix(effect->parameterByName("projection"), projection);
    effect->setValue(effect->parameterByName("diffuse"), orange, Effect::DeclaredSize);
    effect->commitChanges();
    box->drawSubset(0);
    effect->endPass();
    effect->end();
    const std::vector<gfx::Color> pixels = device->readPixels(device->backBuffer());

    // Where a face's centre lands, and how bright its turned normal says it is.
    const auto faceCentre = [&](const Vector3& normal) {
        const std::array<float, 4> centre = {normal[0] * 0.5f, normal[1] * 0.5f, normal[2] * 0.5f, 1.0f};
        const gfx::Matrix clip = world * projection;
        std::array<float, 4> p{};
        for (int column = 0; column < 4; ++column)
            for (int row = 0; row < 4; ++row)
                p[column] += centre[row] * clip.m[row][column];
        const int x = static_cast<int>((p[0] / p[3] + 1.0f) / 2.0f * Size);
        const int y = static_cast<int>((1.0f - p[1] / p[3]) / 2.0f * Size);
        return pixels[y * Size + x];
    };
    const auto brightness = [&](const Vector3& normal) {
        Vector3 turned{};
        for (int column = 0; column < 3; ++column)
            for (int row = 0; row < 3; ++row)
                turned[column] += normal[row] * turn.m[row][column];
        const float light = std::max(0.0f, (turned[0] + turned[1] - turned[2]) / std::sqrt(3.0f));
        const int red = static_cast<int>(std::lround(255 * (0.2f + 0.8f * light)));
        return gfx::argb(255, red, red / 2, 0);
    };
    for (const Vector3 normal : {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, -1}})
        EXPECT_TRUE(gfx::test::near(faceCentre(normal), brightness(normal), 2))
            << normal[0] << ", " << normal[1] << ", " << normal[2];
    EXPECT_GT(faceCentre({1, 0, 0}) >> 16 & 0xFF, faceCentre({0, 1, 0}) >> 16 & 0xFF)
        << "the side faces the light most";
    EXPECT_EQ(pixels[0], gfx::test::Black);
    EXPECT_EQ(pixels[Size * Size - 1], gfx::test::Black);
}

// The production's trophy as make-trophy.py writes it.
constexpr std::size_t TrophyVertices = 2982;
constexpr std::uint32_t TrophyTriangles = 5784;

class Trophy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::vector<unsigned char> bytes = gfx::test::readFile(ORB_PRODUCTION_DATA "/tevro_pokal.x");
        std::string error;
        std::optional<MeshData> data = readXFile(bytes.data(), bytes.size(), &error);
        ASSERT_TRUE(data) << error;
        trophy_ = std::move(*data);
    }

    MeshData trophy_;
};

TEST_F(Trophy, LoadsAsOneSubsetWithTheGeneratorsVerticesAndTriangles)
{
    ASSERT_EQ(trophy_.subsets.size(), 1u);
    EXPECT_EQ(trophy_.subsets[0].firstTriangle, 0u);
    EXPECT_EQ(trophy_.subsets[0].triangleCount, TrophyTriangles);
    EXPECT_EQ(trophy_.indices.size(), TrophyTriangles * 3u);
    // assimp gives each corner a vertex of its own: the file's vertices are the distinct ones.
    std::set<std::array<float, 6>> distinct;
    for (const MeshVertex& v : trophy_.vertices)
        distinct.insert({v.position[0], v.position[1], v.position[2], v.normal[0], v.normal[1], v.normal[2]});
    EXPECT_EQ(distinct.size(), TrophyVertices);

    auto device = gfx::test::makeDevice(16, 16);
    ASSERT_NE(device, nullptr);
    std::string error;
    const std::unique_ptr<Mesh> mesh = Mesh::create(*device, trophy_, &error);
    ASSERT_NE(mesh, nullptr) << error;
    EXPECT_EQ(mesh->subsetCount(), 1u);
}

TEST_F(Trophy, StandsSixUnitsTallOnTheFloorAroundTheYAxisWithItsHandlesAlongX)
{
    Vector3 low = at(trophy_, 0), high = low;
    for (std::uint32_t i = 0; i < trophy_.vertices.size(); ++i)
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], at(trophy_, i)[axis]);
            high[axis] = std::max(high[axis], at(trophy_, i)[axis]);
        }
    EXPECT_NEAR(low[1], 0.0f, 1e-4f);
    EXPECT_NEAR(high[1], 6.0f, 0.05f);
    EXPECT_NEAR(low[0], -high[0], 1e-4f);
    EXPECT_NEAR(low[2], -high[2], 1e-4f);
    EXPECT_GT(high[0] - low[0], 3.0f);
    EXPECT_LT(high[0] - low[0], 4.2f);
    EXPECT_LT(high[2] - low[2], high[0] - low[0]) << "the handles widen it along x";
}

TEST_F(Trophy, HasUnitNormalsPointingOutOfItsClockwiseFaces)
{
    std::size_t notUnit = 0;
    for (const MeshVertex& v : trophy_.vertices)
        notUnit += std::abs(std::hypot(v.normal[0], v.normal[1], v.normal[2]) - 1.0f) > 1e-4f;
    EXPECT_EQ(notUnit, 0u);

    std::size_t againstNormals = 0, onTheFloor = 0;
    for (std::size_t triangle = 0; triangle < TrophyTriangles; ++triangle) {
        const Vector3 winding = windingNormal(trophy_, triangle);
        float agreement = 0.0f;
        bool floor = true;
        for (int corner = 0; corner < 3; ++corner) {
            const MeshVertex& v = trophy_.vertices[trophy_.indices[triangle * 3 + corner]];
            agreement += dot(winding, v.normal);
            floor = floor && v.position[1] < 1e-4f;
        }
        againstNormals += agreement <= 0.0f;
        if (floor) {
            ++onTheFloor;
            EXPECT_LT(winding[1], 0.0f) << "the underside faces down";
        }
    }
    EXPECT_EQ(againstNormals, 0u) << "clockwise seen from the side the normals face";
    EXPECT_GT(onTheFloor, 0u);

    // The vertex farthest from the axis, on a handle's outer curve, faces away from the axis.
    const auto radius = [](const MeshVertex& v) { return std::hypot(v.position[0], v.position[2]); };
    const MeshVertex& outermost =
        *std::max_element(trophy_.vertices.begin(), trophy_.vertices.end(),
                          [&](const MeshVertex& a, const MeshVertex& b) { return radius(a) < radius(b); });
    EXPECT_GT((outermost.position[0] * outermost.normal[0] + outermost.position[2] * outermost.normal[2]) /
                  radius(outermost),
              0.9f);
}

} // namespace
} // namespace orb::fx
