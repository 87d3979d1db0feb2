// Lays out and draws arbitrary bytes as Windows-1252 text with the production's fonts, as the
// text scenes draw a page: centred on a 1024 x 1024 target, unclipped. The first byte picks the
// font, the rest is the text.

#include "platform/fx/Font.h"
#include "platform/gfx/Backend.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using namespace orb;

struct Production
{
    std::unique_ptr<gfx::Device> device;
    std::vector<std::unique_ptr<fx::Font>> fonts;
};

// The title font registered from its file, and the fonts DemoSystem makes from it and the system.
Production openProduction()
{
    std::ifstream file(ORB_TITLE_FONT, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::string error;
    Production production;
    production.device = gfx::Device::create(gfx::createOffscreenBackend(&error), {1024, 1024, 0}, &error);
    if (fx::registerFontMemory(bytes.data(), bytes.size()) == 0 || !production.device)
        std::abort();
    for (const auto& [height, face] :
         {std::pair{64, "VistaSansAltRegIta"}, std::pair{96, "VistaSansAltRegIta"},
          std::pair{144, "VistaSansAltRegIta"}, std::pair{16, "Arial"}}) {
        production.fonts.push_back(fx::Font::create(*production.device, height, face, &error));
        if (!production.fonts.back())
            std::abort();
    }
    return production;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Production production = openProduction();
    if (size == 0)
        return 0;
    fx::Font& font = *production.fonts[data[0] % production.fonts.size()];
    font.drawText(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1), {512, 512, 512, 512},
                  fx::TextFormat::Center | fx::TextFormat::VCenter | fx::TextFormat::NoClip, 0xFFFFFFFF);
    return 0;
}
