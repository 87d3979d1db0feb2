#include "platform/gfx/VertexLayout.h"

#include "platform/gfx/Codes.h"

namespace orb::gfx {

namespace {

constexpr std::uint32_t PositionMask = 0x00E;
constexpr std::uint32_t PointSize = 0x020;
constexpr std::uint32_t Specular = 0x080;

} // namespace

VertexLayout vertexLayout(std::uint32_t fvf)
{
    VertexLayout layout;
    const std::uint32_t position = fvf & PositionMask;
    if (position != Fvf::Xyz && position != Fvf::XyzRhw)
        return layout;
    layout.valid = true;
    layout.pretransformed = position == Fvf::XyzRhw;
    layout.position = 0;
    layout.size = layout.pretransformed ? 16 : 12;
    if (fvf & Fvf::Normal) {
        layout.normal = static_cast<int>(layout.size);
        layout.size += 12;
    }
    if (fvf & PointSize)
        layout.size += 4;
    if (fvf & Fvf::Diffuse) {
        layout.diffuse = static_cast<int>(layout.size);
        layout.size += 4;
    }
    if (fvf & Specular)
        layout.size += 4;
    const unsigned texCoords = (fvf >> 8) & 0xF;
    if (texCoords > 0)
        layout.texCoord = static_cast<int>(layout.size);
    layout.size += 8 * texCoords;
    return layout;
}

} // namespace orb::gfx
