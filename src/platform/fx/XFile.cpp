#include "platform/fx/MeshData.h"

#include <algorithm>
#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <memory>

namespace orb::fx {

namespace {

// assimp turns .x files right-handed; these steps give back the file's own coordinates and
// winding, with every frame's transform applied and polygons split into triangles.
constexpr unsigned ImportSteps = aiProcess_Triangulate | aiProcess_PreTransformVertices |
                                 aiProcess_MakeLeftHanded | aiProcess_FlipWindingOrder |
                                 aiProcess_SortByPType;

struct SceneDeleter
{
    void operator()(const aiScene* scene) const { aiReleaseImport(scene); }
};

void appendMesh(const aiMesh& mesh, MeshData& data)
{
    const auto base = static_cast<std::uint32_t>(data.vertices.size());
    for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
        MeshVertex vertex{};
        const aiVector3D& position = mesh.mVertices[i];
        std::copy_n(&position.x, 3, vertex.position);
        if (mesh.HasNormals())
            std::copy_n(&mesh.mNormals[i].x, 3, vertex.normal);
        if (mesh.HasTextureCoords(0)) {
            vertex.texCoord[0] = mesh.mTextureCoords[0][i].x;
            vertex.texCoord[1] = mesh.mTextureCoords[0][i].y;
        }
        data.vertices.push_back(vertex);
    }
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3)
            data.indices.insert(data.indices.end(),
                                {base + face.mIndices[0], base + face.mIndices[1], base + face.mIndices[2]});
    }
}

} // namespace

std::optional<MeshData> readXFile(const void* data, std::size_t size, std::string* error)
{
    std::unique_ptr<const aiScene, SceneDeleter> scene(
        data != nullptr && size > 0 && size <= 0xFFFFFFFFu
            ? aiImportFileFromMemory(static_cast<const char*>(data), static_cast<unsigned>(size), ImportSteps,
                                     "x")
            : nullptr);
    if (!scene || scene->mNumMeshes == 0) {
        if (error != nullptr)
            *error = scene ? "the file holds no mesh" : aiGetErrorString();
        return std::nullopt;
    }
    MeshData mesh;
    unsigned materials = 1;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i)
        materials = std::max(materials, scene->mMeshes[i]->mMaterialIndex + 1);
    for (unsigned material = 0; material < materials; ++material) {
        const auto firstTriangle = static_cast<std::uint32_t>(mesh.indices.size() / 3);
        for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
            const aiMesh& part = *scene->mMeshes[i];
            if (part.mMaterialIndex == material && (part.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) != 0) {
                mesh.hasTexCoords = mesh.hasTexCoords || part.HasTextureCoords(0);
                appendMesh(part, mesh);
            }
        }
        mesh.subsets.push_back(
            {firstTriangle, static_cast<std::uint32_t>(mesh.indices.size() / 3) - firstTriangle});
    }
    if (mesh.indices.empty()) {
        if (error != nullptr)
            *error = "the file holds no triangles";
        return std::nullopt;
    }
    return mesh;
}

} // namespace orb::fx
