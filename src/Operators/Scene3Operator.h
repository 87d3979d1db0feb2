#pragma once

// Scene3Operator -- a lit trophy on a pedestal above a floor, a camera circling it on the beat,
// and 5000 small cubes on ballistic paths run backwards in time: each flies in towards a point
// about 10 units above the trophy and vanishes as it arrives.

#include "Operators/SceneOperator.h"
#include "platform/fx/Mesh.h"

#include <array>
#include <vector>

namespace orb {

class Scene3Operator final : public SceneOperator
{
public:
    using SceneOperator::SceneOperator;
    const char* typeName() const override { return "Scene3"; }

    struct Particle
    {
        std::array<float, 3> start, spin, velocity;
        float birth;
    };
    // The same 5000 particles every frame: drawn from a generator seeded with 31337.
    static std::vector<Particle> particles();
    // Whether a particle is drawn with `remaining` seconds of the scene left: from its birth time
    // down.
    static bool shown(const Particle& particle, float remaining)
    {
        return remaining - particle.birth >= 0.0f;
    }

    struct Camera
    {
        float distance, pitch, roll, jitterX, jitterY, lift;
    };
    static Camera camera(const FrameTime& time);
    static PostProcessParams look(const FrameTime& time);

protected:
    bool load() override;
    void draw(const FrameTime& time) override;

private:
    void drawParticles(fx::Effect& effect, float remaining);

    std::unique_ptr<fx::Effect> effect_;
    std::unique_ptr<fx::Mesh> trophy_, cube_, slab_;
    std::vector<Particle> particles_ = particles();
};

} // namespace orb
