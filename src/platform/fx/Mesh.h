#pragma once

// Mesh -- triangles with normals (and texture coordinates when the file has them) in device
// buffers, drawn one subset at a time under whatever pass or fixed stage is active.
//
//   auto trophy = Mesh::loadX(device, bytes, size, &error);     // null + reason
//   auto cube = Mesh::createBox(device, 0.63f, 0.63f, 0.63f, &error);
//   effect->beginPass(0); effect->commitChanges();
//   trophy->drawSubset(0);                                     // sets the mesh's vertex format

#include "platform/fx/MeshData.h"
#include "platform/gfx/Device.h"

#include <memory>
#include <string>

namespace orb::fx {

class Mesh
{
public:
    static std::unique_ptr<Mesh> create(gfx::Device& device, MeshData data, std::string* error);
    static std::unique_ptr<Mesh> loadX(gfx::Device& device, const void* bytes, std::size_t size,
                                       std::string* error);
    static std::unique_ptr<Mesh> createBox(gfx::Device& device, float width, float height, float depth,
                                           std::string* error);

    unsigned subsetCount() const { return static_cast<unsigned>(data_.subsets.size()); }
    void drawSubset(unsigned subset);
    const MeshData& data() const { return data_; }

private:
    Mesh(gfx::Device& device, MeshData data, std::unique_ptr<gfx::Geometry> geometry);

    gfx::Device& device_;
    std::weak_ptr<const void> deviceLifetime_;
    MeshData data_;
    std::unique_ptr<gfx::Geometry> geometry_;
};

} // namespace orb::fx
