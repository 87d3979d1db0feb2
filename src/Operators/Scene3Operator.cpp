#include "Operators/Scene3Operator.h"

#include "DemoSystem.h"
#include "FileSystem.h"
#include "LogFile.h"
#include "Operators/SceneShared.h"

#include <algorithm>
#include <cmath>

namespace orb {

namespace {

constexpr float CubeSize = 0.63f;
constexpr float CubeReach = CubeSize * 0.8660254f; // half the diagonal: the cube spins inside it
constexpr const char* TrophyFile = "Data\\tevro_pokal.x";

// A linear congruential generator over 32 bits; each draw gives 15 bits.
class Generator
{
public:
    explicit Generator(std::uint32_t seed) : state_(seed) {}

    // -1 to 1.
    float next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<float>((state_ >> 16) & 0x7FFF) / 32767.0f * 2.0f - 1.0f;
    }

    // The first draw at least `least` in size (or, with `positive`, in value).
    float nextAtLeast(float least, bool positive)
    {
        float value = next();
        while ((positive ? value : std::fabs(value)) < least)
            value = next();
        return value;
    }

    // Three draws, the first becoming z.
    std::array<float, 3> nextVector()
    {
        const float z = next(), y = next(), x = next();
        return {x, y, z};
    }

private:
    std::uint32_t state_;
};

// The space a view-projection shows, as six planes facing inwards (Direct3D's clip volume:
// -w <= x, y <= w and 0 <= z <= w), each scaled so that it gives distances.
class ViewVolume
{
public:
    explicit ViewVolume(const fx::Matrix& viewProjection)
    {
        const auto& m = viewProjection.m;
        // Plane i is `w` times column 3 plus `sign` times column `axis` of the matrix.
        constexpr struct
        {
            float w;
            int axis;
            float sign;
        } sides[6] = {{1, 0, 1}, {1, 0, -1}, {1, 1, 1}, {1, 1, -1}, {0, 2, 1}, {1, 2, -1}};
        for (int i = 0; i < 6; ++i) {
            for (int j = 0; j < 4; ++j)
                planes_[i][j] = sides[i].w * m[j][3] + sides[i].sign * m[j][sides[i].axis];
            const auto& p = planes_[i];
            const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
            for (float& coefficient : planes_[i])
                coefficient /= length;
        }
    }

    // False only when a ball lies wholly outside.
    bool mayShow(const std::array<float, 3>& centre, float radius) const
    {
        return std::none_of(planes_.begin(), planes_.end(), [&](const std::array<float, 4>& p) {
            return p[0] * centre[0] + p[1] * centre[1] + p[2] * centre[2] + p[3] < -radius;
        });
    }

private:
    std::array<std::array<float, 4>, 6> planes_{};
};

void setWorld(fx::Effect& effect, const fx::MatrixStack& stack)
{
    effect.setMatrix(effect.parameterByName("world"), stack.top());
}

// Where the beat stands in the camera's cycles of eight and sixteen beats.
struct CameraBeats
{
    float of8, of16;
    // Beats 1.5 to 2.5 of the eight: the camera pushes in.
    bool pushing() const { return of8 >= 1.5f && of8 < 2.5f; }
    // Beats 1.5 to 3.5 of the eight: the camera's pitch swings.
    bool swinging() const { return of8 >= 1.5f && of8 < 3.5f; }
};

// 27 units off, pushed in on its beats and breathing with the beat swing; from bar 12 it closes in.
float distance(float bars, const CameraBeats& beats)
{
    if (bars > 12.0f)
        return 27.0f - (bars - 12.0f) * 6.7f;
    const float pushed = beats.pushing() ? (beats.of8 - 1.5f) * 7.0f + 20.0f : 27.0f;
    return pushed + 3.0f * static_cast<float>(std::pow(beatSwing(bars), 12));
}

// Level until bar 8; then it swings up on its beats, down after bar 10, stays looking down after
// each push from bar 12, and tips over from bar 14.
float pitch(float bars, const CameraBeats& beats)
{
    if (bars > 14.0f)
        return -1.0f - (bars - 14.0f) * 0.25f;
    if (bars > 12.0f && beats.of8 >= 2.5f)
        return -1.0f;
    if (bars <= 8.0f || !beats.swinging())
        return 0.0f;
    const float swing = sinOf((beats.of8 - 1.5f) * Pi / 2.0f);
    return bars > 10.0f ? -swing : swing;
}

// A shake across and up in the last beat of every sixteen, growing through it.
std::array<float, 2> jitter(const CameraBeats& beats, float progress)
{
    if (beats.of16 < 15.0f)
        return {0.0f, 0.0f};
    const float amount = beats.of16 - 15.0f;
    return {amount * flicker(progress, 100010) * 0.5f, amount * flicker(progress, 100013) * 0.5f};
}

// Level until bar 8; then its height follows a parabola in the seconds `remaining` before the
// scene's end, and from bar 14 it rises again.
float lift(float bars, float remaining)
{
    if (bars <= 8.0f)
        return 0.0f;
    float height = -((remaining * 10.0f + 15.0f) - remaining * 0.8f * remaining);
    if (bars > 14.0f)
        height += 2.0f * (bars - 14.0f);
    return height;
}

} // namespace

std::vector<Scene3Operator::Particle> Scene3Operator::particles()
{
    Generator generator(31337);
    std::vector<Particle> result(ParticleCount);
    for (int i = 0; i < ParticleCount; ++i) {
        Particle& particle = result[i];
        particle.start = generator.nextVector();
        particle.spin = generator.nextVector();
        particle.velocity[0] = 2.0f * generator.nextAtLeast(0.2f, false);
        particle.velocity[2] = 2.0f * generator.nextAtLeast(0.2f, false);
        particle.velocity[1] = 20.0f * generator.nextAtLeast(0.5f, true);
        particle.birth = static_cast<float>(i) / 100.0f - 35.0f;
    }
    return result;
}

Scene3Operator::Camera Scene3Operator::camera(const FrameTime& t)
{
    const float bars = barPosition(t.local);
    const float progress = t.local / t.duration;
    const CameraBeats beats{std::fmod(4.0f * bars, 8.0f), std::fmod(4.0f * bars, 16.0f)};
    const auto [jitterX, jitterY] = jitter(beats, progress);
    return {distance(bars, beats),
            pitch(bars, beats),
            sinOf(t.local) * 0.2f * (1.0f - progress),
            jitterX,
            jitterY,
            lift(bars, t.end - t.received)};
}

PostProcessParams Scene3Operator::look(const FrameTime& t)
{
    const float bars = barPosition(t.local);
    const float m8 = std::fmod(4.0f * bars, 8.0f);
    float wash = 0.0f, flash = 0.0f;
    if (m8 >= 1.5f && m8 < 2.5f)
        flash = (1.0f + flicker(t.local / t.duration, 100010)) * (2.5f - m8) * 0.01f;
    if (bars < 1.0f)
        wash = static_cast<float>(std::sqrt(1.0 - bars));
    else if (bars > 15.0f)
        wash = (bars - 15.0f) * (bars - 15.0f);
    return {0.2f, {1, 3, wash, flash}, {1, 1, 1, 1}};
}

bool Scene3Operator::load()
{
    if (!loadEffect("Data\\Scene3.fx", effect_))
        return false;
    FileSystem& files = *demo().fileSystem();
    if (!files.open(TrophyFile))
        return false;
    trophy_ = fx::Mesh::loadX(device(), files.fileData(TrophyFile), files.fileSize(TrophyFile), nullptr);
    files.close(TrophyFile);
    if (!trophy_) {
        ORB_ERROR("D3DXLoadMeshFromXInMemory failed for " << TrophyFile << '\n');
        return false;
    }
    cube_ = fx::Mesh::createBox(device(), CubeSize, CubeSize, CubeSize, nullptr);
    slab_ = fx::Mesh::createBox(device(), 1000.0f, 2.0f, 1000.0f, nullptr);
    return graphics().noiseTexture() != nullptr;
}

void Scene3Operator::draw(const FrameTime& t)
{
    gfx::Device& device = this->device();
    device.setRenderState(gfx::RenderState::CullMode, gfx::Cull::None);
    device.setRenderState(gfx::RenderState::Lighting, 1);
    device.setTexture(0, graphics().noiseTexture());
    device.setTexture(1, nullptr);
    setSampler(device, 0, gfx::TextureAddress::Mirror);

    const Camera view = camera(t);
    fx::MatrixStack& stack = graphics().matrixStack();
    stack.loadIdentity();
    stack.rotateYawPitchRoll(t.local, 0.0f, 0.0f);
    stack.translate(view.jitterX, 3.0f * sinOf(t.local) + view.jitterY - 5.0f + view.lift, view.distance);
    stack.rotateYawPitchRoll(0.0f, view.pitch, view.roll);
    const fx::Matrix viewMatrix = stack.top();
    const fx::Matrix projection = projection45(graphics().aspectRatio(), 1.0f);

    fx::Effect& effect = *effect_;
    const float power = 80.0f;
    const unsigned passes = effect.begin();
    effect.beginPass(0);
    stack.loadIdentity();
    stack.translateLocal(1.0f, 0.0f, 0.0f);
    setWorld(effect, stack);
    effect.setMatrix(effect.parameterByName("view"), viewMatrix);
    effect.setMatrix(effect.parameterByName("projection"), projection);
    setVector(effect, "ambient", {0, 0, 0, 0});
    setVector(effect, "diffuse", {1.0f, 0.5f, 0, 0});
    setVector(effect, "specular", {1, 1, 1, 0});
    effect.setValue(effect.parameterByName("power"), &power, fx::Effect::DeclaredSize);
    effect.commitChanges();
    trophy_->drawSubset(0);
    // The boxes' faces are flat: an effect may light them in a pass of their own, more cheaply.
    if (passes > 1) {
        effect.endPass();
        effect.beginPass(1);
    }

    drawParticles(effect, t.end - t.received, viewMatrix * projection);

    // The pedestal (6.3 units wide, its top at y = 0) and the floor below it.
    stack.loadIdentity();
    stack.translateLocal(0.0f, -3.15f, 0.0f);
    stack.scaleLocal(10.0f, 10.0f, 10.0f);
    setWorld(effect, stack);
    setVector(effect, "diffuse", {0.5f, 0.5f, 0.5f, 0});
    effect.commitChanges();
    cube_->drawSubset(0);
    stack.loadIdentity();
    stack.translateLocal(0.0f, -4.15f, 0.0f);
    setWorld(effect, stack);
    effect.commitChanges();
    slab_->drawSubset(0);
    effect.endPass();
    effect.end();

    graphics().postProcess(look(t));
}

// A particle is drawn once the time left has fallen to its birth time: tau seconds later it is
// where its parabola, run backwards, has taken it from its start 10 units up, orange at first
// and grey from tau = 10 on. Cubes wholly out of view are left out: each costs vertex work on the
// one thread that feeds a software rasteriser. The rest are drawn nearest first, so that a
// software rasteriser's early depth test spares it shading the cubes they hide.
void Scene3Operator::drawParticles(fx::Effect& effect, float remaining, const fx::Matrix& viewProjection)
{
    const ViewVolume view(viewProjection);
    const auto& m = viewProjection.m;
    drawn_.clear();
    for (const Particle& particle : particles_) {
        if (!shown(particle, remaining))
            continue;
        const float tau = remaining - particle.birth;
        const auto& [px, py, pz] = particle.start;
        const auto& [vx, vy, vz] = particle.velocity;
        const std::array<float, 3> centre{vx * tau + px, py + 10.0f + vy * tau - 0.8f * tau * tau,
                                          vz * tau + pz};
        if (!everyCubeInOrder_ && !view.mayShow(centre, CubeReach))
            continue;
        const float depth = m[0][3] * centre[0] + m[1][3] * centre[1] + m[2][3] * centre[2] + m[3][3];
        drawn_.push_back({depth, tau, centre, &particle});
    }
    if (!everyCubeInOrder_)
        // Equal depths keep the particles' order, as a stable sort would, without its buffer.
        std::sort(drawn_.begin(), drawn_.end(), [](const Drawn& a, const Drawn& b) {
            return a.depth < b.depth || (a.depth == b.depth && a.particle < b.particle);
        });
    // A cube is closed, so the faces it turns away are hidden behind the others (but for a pixel
    // at its outline where the two tie in depth): leaving them out halves the triangles to set up
    // and spares shading those drawn before the faces that hide them.
    if (!cubesBackFaces_)
        device().setRenderState(gfx::RenderState::CullMode, gfx::Cull::CounterClockwise);
    fx::MatrixStack& stack = graphics().matrixStack();
    for (const auto& [depth, tau, centre, particle] : drawn_) {
        stack.loadIdentity();
        stack.translateLocal(centre[0], centre[1], centre[2]);
        stack.rotateYawPitchRollLocal(particle->spin[0] * tau, particle->spin[1] * tau,
                                      particle->spin[2] * tau);
        const float s = std::min(tau / 10.0f, 1.0f);
        setVector(effect, "diffuse",
                  {1.0f + (0.47f - 1.0f) * s, 0.5f + (0.47f - 0.5f) * s, 0.0f + 0.47f * s, 0});
        setWorld(effect, stack);
        effect.commitChanges();
        cube_->drawSubset(0);
    }
    device().setRenderState(gfx::RenderState::CullMode, gfx::Cull::None);
}

} // namespace orb
