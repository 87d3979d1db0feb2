// A page of text (500 characters in 10 lines) drawn into a 1024 x 1024 target once the atlas
// holds its glyphs, as the demo draws its texts (target: at most 2 ms, GL work included); and a
// text page's redraw as the shader scenes make it (clear the target, draw the page centred) in the
// production's title font at the scenes' sizes, warm (glyphs in the atlas) and cold (a new font).

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

// The longest of the invitation's pages: a heading, an empty line, seven lines and a final break.
const char* const InvitationPage = "At the party place\n\nBring your own computer\nBig screen and sound\n"
                                   "Power and network for all\nSleeping hall\nFood and drinks all weekend\n"
                                   "Live compos and seminars\nRemote entries welcome\n";
const char* const CreditsPage = "Graphics:\nKaleido Ferrum";

bool registerFont(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return fx::registerFontMemory(bytes.data(), bytes.size()) > 0;
}

// A device drawing into a 1024 x 1024 target, as the "Text" target.
struct TextTarget
{
    TextTarget()
    {
        device = gfx::Device::create(gfx::createOffscreenBackend(&error), {640, 480, 0}, &error);
        if (device)
            texture = device->createTexture(TargetSize, TargetSize, 1, gfx::Usage::RenderTarget,
                                            gfx::Format::A8R8G8B8, &error);
        if (texture)
            device->setRenderTarget(0, texture->surfaceLevel(0));
    }

    std::unique_ptr<fx::Font> font(int cellHeight, const char* family)
    {
        return texture ? fx::Font::create(*device, cellHeight, family, &error) : nullptr;
    }

    void draw(fx::Font& font, const char* text)
    {
        constexpr std::uint32_t format =
            fx::TextFormat::Center | fx::TextFormat::VCenter | fx::TextFormat::NoClip;
        font.drawText(text, -1, {512, 512, 512, 512}, format, 0xFFFFFFFF);
    }

    // The page, drawn from a cleared target, as a pager's redraw makes it.
    void redraw(fx::Font& font, const char* text)
    {
        device->clear(gfx::ClearFlag::Target, 0, 1.0f, 0);
        draw(font, text);
        glFinish();
    }

    bool drawn()
    {
        const std::vector<gfx::Color> pixels = device->readPixels(texture->surfaceLevel(0));
        return std::count(pixels.begin(), pixels.end(), 0xFFFFFFFF) >= 1000;
    }

    std::string error;
    std::unique_ptr<gfx::Device> device;
    std::unique_ptr<gfx::Texture> texture;
};

void FontDrawPage(benchmark::State& state)
{
    TextTarget target;
    auto font = registerFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
                    ? target.font(24, "DejaVu Sans")
                    : nullptr;
    if (!font) {
        state.SkipWithError(("no font: " + target.error).c_str());
        return;
    }
    target.device->clear(gfx::ClearFlag::Target, 0, 1.0f, 0);
    const std::string page = pageOfText();
    target.draw(*font, page.c_str()); // fills the atlas
    for (auto _ : state) {
        target.draw(*font, page.c_str());
        glFinish();
    }
    if (!target.drawn())
        state.SkipWithError("the page was not drawn");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
}

// Argument: the cell height; 64 draws the invitation page, 144 the credits page.
void TextPageRedraw(benchmark::State& state, bool warm)
{
    TextTarget target;
    const int cellHeight = static_cast<int>(state.range(0));
    const char* page = cellHeight == 64 ? InvitationPage : CreditsPage;
    const bool registered = registerFont("/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf");
    auto font = registered ? target.font(cellHeight, "Liberation Sans") : nullptr;
    if (!font) {
        state.SkipWithError(("no font: " + target.error).c_str());
        return;
    }
    target.redraw(*font, page);
    for (auto _ : state) {
        if (!warm) {
            state.PauseTiming();
            font = target.font(cellHeight, "Liberation Sans");
            state.ResumeTiming();
        }
        target.redraw(*font, page);
    }
    if (!target.drawn())
        state.SkipWithError("the page was not drawn");
}

BENCHMARK(FontDrawPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(TextPageRedraw, warm, true)->Arg(64)->Arg(144)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_CAPTURE(TextPageRedraw, cold, false)
    ->Arg(64)
    ->Arg(144)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

BENCHMARK_MAIN();
