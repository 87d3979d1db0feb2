// What the preview's panels cost a frame, in a window at 1280 x 720 (run under xvfb-run): the
// player's frame (the demo alone), and the preview's frame with its panels hidden and shown, each
// frame timed to its own glFinish, paused on the trophy scene.

#include "DemoSystem.h"
#include "LogFile.h"
#include "Preview.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace orb;

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr float Trophy = 60.5f;

// Orb.log in a scratch directory, and a host with a window and no sound.
class Session
{
public:
    Session()
    {
        const auto directory = std::filesystem::temp_directory_path() / "orb-bench-preview";
        std::filesystem::create_directories(directory);
        std::filesystem::current_path(directory);
        LogFile::instance().open("Orb.log");
        host_.dataDirectory = ORB_PRODUCTION_DATA;
    }
    ~Session() { LogFile::instance().close(); }

    const Host& host() const { return host_; }

private:
    // The real clock: the player's loading screen fades out in real time.
    Host host_{win::performanceCounter(), GraphicsBackend::Window, {}, SoundOutput::Silent};
};

void finish(DemoSystem& demo)
{
    demo.graphicSystem()->device()->finish();
}

void BM_PlayerFrame(benchmark::State& state)
{
    Session session;
    DemoSystem demo(session.host());
    DemoSettings settings;
    settings.aspectRatio = static_cast<float>(Width) / Height;
    settings.multisampleType = 0;
    settings.fullscreen = 0;
    settings.loopDemo = 1;
    settings.scriptPath = "Data\\DemoScript.xml";
    if (!demo.init(settings)) {
        state.SkipWithError("the demo does not start (no display?)");
        return;
    }
    demo.setPaused(true);
    demo.frame(0, &Trophy);
    for (auto _ : state) {
        demo.frame(0, nullptr);
        finish(demo);
    }
}
BENCHMARK(BM_PlayerFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument 0: the panels hidden; 1: shown.
void BM_PreviewFrame(benchmark::State& state)
{
    Session session;
    preview::Preview preview(session.host(), Width, Height);
    if (!preview.start()) {
        state.SkipWithError("the preview does not start (no display?)");
        return;
    }
    preview.press(win::KeySpace);
    preview.release(Trophy);
    if (state.range(0) == 0)
        preview.press(win::KeyTab);
    preview.frame();
    for (auto _ : state) {
        preview.frame();
        finish(preview.demo());
    }
}
BENCHMARK(BM_PreviewFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
