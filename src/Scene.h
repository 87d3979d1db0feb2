#pragma once

// Scene -- the root of one timeline tree, held in the DemoSystem's scene table under its id.
//
// Registers itself from its constructor (AnyId asks for the lowest free id) and unregisters
// from its destructor. A scene whose id was taken stays out of the table and cannot be played.

#include <cstdint>

namespace orb {

class DemoSystem;

class Scene
{
public:
    Scene(DemoSystem& owner, std::uint32_t requestedId);
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    virtual void process(float time, bool seek) = 0;

    std::uint32_t id() const { return id_; }
    void setId(std::uint32_t id) { id_ = id; }

protected:
    DemoSystem& owner_;

private:
    std::uint32_t id_ = 0xFFFFFFFF;
};

} // namespace orb
