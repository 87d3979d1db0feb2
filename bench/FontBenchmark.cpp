// A page of text (500 characters in 10 lines) drawn into a 1024 x 1024 target once the atlas
// holds its glyphs, as the demo draws its texts (target: at most 2 ms, GL work included).

#include "platform/fx/Font.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <iterator>

namespace {

using namespace orb;

constexpr int TargetSize = 1024;

std::string pageOfText()
{
    const std::string line = "Sphinx of black quartz, judge my vow! 0123456789 \xC9t\xE9 \x80\n";
    std::string page;
    while (page.size() + line.size() <= 500)
        page += line;
    page.append(500 - page.size(), 'x');
    return page;
}

bool registerDejaVuSans()
{
    std::ifstream file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return fx::registerFontMemory(bytes.data(), bytes.size()) > 0;
}

void FontDrawPage(benchmark::State& state)
{
    std::string error;
    auto device = gfx::Device::create(gfx::createOffscreenBackend(&error), {640, 480, 0}, &error);
    auto target = device ? device->createTexture(TargetSize, TargetSize, 1, gfx::Usage::RenderTarget,
                                                 gfx::Format::A8R8G8B8, &error)
                         : nullptr;
    auto font =
        target && registerDejaVuSans() ? fx::Font::create(*device, 24, "DejaVu Sans", &error) : nullptr;
    if (!font) {
        state.SkipWithError(("no font: " + error).c_str());
        return;
    }
    device->setRenderTarget(0, target->surfaceLevel(0));
    device->clear(gfx::ClearFlag::Target, 0, 1.0f, 0);
    const std::string page = pageOfText();
    const fx::TextRect middle{512, 512, 512, 512};
    constexpr std::uint32_t format =
        fx::TextFormat::Center | fx::TextFormat::VCenter | fx::TextFormat::NoClip;
    font->drawText(page.c_str(), -1, middle, format, 0xFFFFFFFF); // fills the atlas
    for (auto _ : state) {
        font->drawText(page.c_str(), -1, middle, format, 0xFFFFFFFF);
        glFinish();
    }
    const std::vector<gfx::Color> pixels = device->readPixels(target->surfaceLevel(0));
    if (std::count(pixels.begin(), pixels.end(), 0xFFFFFFFF) < 1000)
        state.SkipWithError("the page was not drawn");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

BENCHMARK(FontDrawPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
