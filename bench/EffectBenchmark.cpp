// Commit-and-draw of a box under an effect, per draw: what the trophy scene does for each of
// its 5000 cubes (a new "world" and "diffuse", commitChanges, DrawSubset); argument 1 with the
// device gathering the draws into instanced ones, 0 with every draw made at once.

#include "LitEffect.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Matrix.h"
#include "platform/fx/Mesh.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

using namespace orb;

constexpr int DrawsPerBatch = 1000;

void CommitAndDrawBox(benchmark::State& state)
{
    std::string error;
    auto device = gfx::Device::create(gfx::createOffscreenBackend(&error), {640, 360, 0}, &error);
    auto effect = fx::Effect::create(*device, fx::test::LitEffect, std::strlen(fx::test::LitEffect), &error);
    auto box = fx::Mesh::createBox(*device, 0.63f, 0.63f, 0.63f, &error);
    if (!effect || !box) {
        state.SkipWithError(error.c_str());
        return;
    }
    const auto* world = effect->parameterByName("world");
    const auto* diffuse = effect->parameterByName("diffuse");
    effect->setMatrix(effect->parameterByName("projection"),
                      fx::perspectiveFovLH(0.785f, 16.0f / 9, 1, 1000));
    effect->setMatrix(effect->parameterByName("view"), fx::translation(0, 0, 30));
    device->setDrawGathering(state.range(0) != 0);
    device->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0, 1.0f, 0);
    effect->begin();
    effect->beginPass(0);
    for (auto _ : state) {
        for (int i = 0; i < DrawsPerBatch; ++i) {
            const float colour[4] = {1.0f, 0.5f + (i % 50) * 0.01f, 0.0f, 0.0f};
            effect->setMatrix(world, fx::rotationYawPitchRoll(i * 0.1f, i * 0.2f, 0) *
                                         fx::translation((i % 40) - 20.0f, (i / 40 % 25) - 12.0f, 0));
            effect->setValue(diffuse, colour, fx::Effect::DeclaredSize);
            effect->commitChanges();
            box->drawSubset(0);
        }
        device->flushDraws();
        glFinish();
    }
    effect->endPass();
    effect->end();
    state.SetItemsProcessed(state.iterations() * DrawsPerBatch);
}

BENCHMARK(CommitAndDrawBox)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
