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
    const fx::Effect* effect() const override { return effect_.get(); }

    static constexpr int ParticleCount = 5000;
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

    // Off by default: cubes wholly outside the view are not drawn, and the others are drawn
    // nearest first. On, every shown cube is drawn in the particles' order, to compare.
    void drawEveryCubeInOrder(bool on) { everyCubeInOrder_ = on; }
    // Off by default: a cube's faces turned away from the camera are not drawn. On, both sides of
    // every face are, to compare.
    void drawCubesBackFaces(bool on) { cubesBackFaces_ = on; }

protected:
    bool load() override;
    void draw(const FrameTime& time) override;

private:
    void drawParticles(fx::Effect& effect, float remaining, const fx::Matrix& viewProjection);

    std::unique_ptr<fx::Effect> effect_;
    std::unique_ptr<fx::Mesh> trophy_, cube_, slab_;
    std::vector<Particle> particles_ = particles();
    bool everyCubeInOrder_ = false;
    bool cubesBackFaces_ = false;
    struct Drawn
    {
        float depth, tau;
        std::array<float, 3> centre;
        const Particle* particle;
    };
    std::vector<Drawn> drawn_ = [] { // the frame's cubes, with room for all: a frame allocates nothing
        std::vector<Drawn> room;
        room.reserve(ParticleCount);
        return room;
    }();
};

} // namespace orb
