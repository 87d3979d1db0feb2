#pragma once

// DefaultLoadingScene -- the loading screen: a background image, a bar that grows with the
// progress and a small cap at its moving end. Each process(time) draws and presents one whole
// frame, time being the fraction of loading done; the brightness of every vertex is
// 255 minus the lowest byte of the device's blend factor, which the loading fade lowers.

#include "Scene.h"
#include "platform/gfx/Device.h"

#include <memory>

namespace orb {

class DefaultLoadingScene final : public Scene
{
public:
    DefaultLoadingScene(DemoSystem& owner, std::uint32_t requestedId);

    void process(float time, bool seek) override;
    bool presentsItself() const override { return true; }

private:
    std::unique_ptr<gfx::Texture> background_;
    std::unique_ptr<gfx::Texture> bar_;
    std::unique_ptr<gfx::Texture> cap_;
};

} // namespace orb
