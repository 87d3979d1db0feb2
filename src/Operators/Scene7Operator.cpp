#include "Operators/Scene7Operator.h"

#include "DemoSystem.h"
#include "Operators/SceneShared.h"

#include <cmath>

namespace orb {

namespace {

constexpr float LastName = barTime(15); // the end of the fifteenth bar

} // namespace

std::vector<TextPage> Scene7Operator::pages()
{
    // Windows-1252, as the fonts read it: the fourteenth greeting has Ø (D8), Å (C5) and Æ (C6).
    return {{barTime(1), "VELVET OPCODE"},     {barTime(2), "TANGLEFIELD"},
            {barTime(3), "OXBOW SIGNAL"},      {barTime(4), "LUMEN ARREST"},
            {barTime(5), "CHROMA TIDE"},       {barTime(6), "ORBIT NINE"},
            {barTime(7), "PALE CIRCUIT"},      {barTime(8), "HUSHFRAME"},
            {barTime(9), "GLASSHOUSE VECTOR"}, {barTime(10), "STATIC HARBOUR"},
            {barTime(11), "NORTHWIND RASTER"}, {barTime(12), "IRON PARAKEET"},
            {barTime(13), "SUBPIXEL CHOIR"},   {barTime(14), "S\xD8LVGR\xC5\nM\xC5NEK\xC6R"},
            {barTime(15), "AND YOU"}};
}

fx::Font* Scene7Operator::pageFont() const
{
    return demo().font96();
}

gfx::BaseTexture* Scene7Operator::stage1() const
{
    RenderTarget* text = graphics().renderTarget("Text");
    return text != nullptr ? text->colorTexture() : nullptr;
}

ShaderSceneParams Scene7Operator::params(const FrameTime& t) const
{
    const float e = t.local;
    // Before the first redraw the count is -1: odd.
    const bool odd = (pager().redrawCount() & 1) != 0;
    const float x0 = e < LastName ? -1.5f : -1.5f - (e - LastName) * 1.3f;
    const float swing = std::sin(e) / 10.0f + 0.4f;

    ShaderSceneParams values;
    values.a = {1.5f * pagePhase() - 1.5f, odd ? 0.5f : -0.2f, x0, 0.0f};
    values.b = {odd ? swing : -swing, pagePhase() / 2.0f - 0.5f, std::cos(e) / 20.0f, 0.0f};
    values.c1 = Grey;
    values.c2 = Orange;
    values.c3 = {1.0f, 1.0f, 1.0f, 0.0f};
    values.f = {0.0f, 0.25f, 0.5f, 0.2f * pagePhase()};
    values.g = aspectVector(graphics().aspectRatio());
    return values;
}

PostProcessParams Scene7Operator::look(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const float flickering = 1.0f + std::sin(t.local / t.duration * 100010.0f);
    const float glow = bars > 15.0f ? flickering * (bars - 15.0f) * 0.05f : flickering * 0.001f;
    return {0.2f, {1, 3, 0, glow}, {1, 0, 0, 0}};
}

} // namespace orb
