// Feeds arbitrary bytes to the .x mesh reader as the trophy's scene hands it a file from the
// FileSystem: the file's bytes followed by a zero byte.

#include "platform/fx/MeshData.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// What Mesh and its draws rely on: whole triangles, and subsets that tile them in order.
bool wellFormed(const orb::fx::MeshData& mesh)
{
    if (mesh.indices.size() % 3 != 0)
        return false;
    std::uint64_t next = 0;
    for (const orb::fx::MeshSubset& subset : mesh.subsets) {
        if (subset.firstTriangle != next)
            return false;
        next += subset.triangleCount;
    }
    return next == mesh.indices.size() / 3;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<char> file(data, data + size);
    file.push_back('\0');
    std::string error;
    const std::optional<orb::fx::MeshData> mesh = orb::fx::readXFile(file.data(), size, &error);
    if (mesh && !wellFormed(*mesh))
        std::abort();
    return 0;
}
