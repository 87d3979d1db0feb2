// The post-processing chain at 1280 x 720 (target: 4 ms or less per call) and the first call of
// noiseTexture, which fills the 64^3 volume (target: 60 ms or less).

#include "FileSystem.h"
#include "GraphicSystem.h"
#include "LogFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

using namespace orb;

// A scratch directory with the production's data and Orb.log open in it, for as long as it lives.
class Workplace
{
public:
    Workplace()
    {
        const auto directory = std::filesystem::temp_directory_path() / "orb-bench-graphics";
        std::filesystem::create_directories(directory / "Data.qel");
        std::filesystem::copy(std::filesystem::path(ORB_SOURCE_DIR) / "data" / "Data", directory / "Data",
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive);
        std::filesystem::current_path(directory);
        LogFile::instance().open("Orb.log");
    }
    ~Workplace() { LogFile::instance().close(); }
};

// A GraphicSystem started off-screen on the production's effects.
class Graphics
{
public:
    Graphics(int width, int height)
    {
        fileSystem_.init("Data.qel");
        settings_.width = width;
        settings_.height = height;
        settings_.multisampleType = 0;
        started_ = system_.init(settings_);
    }

    bool started() const { return started_; }
    GraphicSystem& system() { return system_; }

private:
    Workplace workplace_;
    win::SteppedCounter counter_{1000};
    FileSystem fileSystem_;
    DemoSettings settings_;
    GraphicSystem system_{fileSystem_, Host::offscreen(counter_)};
    bool started_ = false;
};

void PostProcess1280x720(benchmark::State& state)
{
    Graphics graphics(1280, 720);
    if (!graphics.started()) {
        state.SkipWithError("the graphics system did not start");
        return;
    }
    gfx::Device& device = *graphics.system().device();
    device.clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF336699, 1.0f, 0);
    for (auto _ : state) {
        graphics.system().postProcess({0.2f, {1, 3, 0, 0.01f}, {1, 1, 1, 1}});
        glFinish();
    }
}

void FirstNoiseTexture(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto graphics = std::make_unique<Graphics>(64, 64);
        state.ResumeTiming();
        benchmark::DoNotOptimize(graphics->system().noiseTexture());
        glFinish();
        state.PauseTiming();
        graphics.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(PostProcess1280x720)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(FirstNoiseTexture)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
