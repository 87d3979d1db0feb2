// Filling the 64 x 64 x 64 noise volume (target: 50 ms or less).

#include "platform/fx/NoiseVolume.h"

#include <benchmark/benchmark.h>

namespace {

void NoiseVolume64(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(orb::fx::noiseVolume(64));
}

BENCHMARK(NoiseVolume64)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
