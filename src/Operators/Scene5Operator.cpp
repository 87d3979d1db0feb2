#include "Operators/Scene5Operator.h"

#include "DemoSystem.h"
#include "Operators/SceneShared.h"
#include "platform/fx/Matrix.h"

#include <cmath>

namespace orb {

std::vector<TextPage> Scene5Operator::pages()
{
    // Line structures: six lines; heading, gap, seven lines and a break; heading, gap, seven
    // lines; heading, gap, three lines, gap, one closing line and a break. The second page's
    // ten lines are taller than the band the text quad shows: the top half of its heading line
    // is cut, so its heading is a rule of em dashes (0x97), which lies in the lower half, and
    // the list names itself.
    return {{barTime(4), "You are invited to\n"
                         "TEVRO 2027\n"
                         "\n"
                         "August 13th to 15th\n"
                         "Kiln Hall, 41 Ferrow Lane\n"
                         "4127 Maralen, Ostrevia"},
            {barTime(8), "\x97\x97\x97\n"
                         "\n"
                         "Competitions\n"
                         "Demo\n"
                         "4k and 64k Intro\n"
                         "Executable Graphics\n"
                         "Pixel Graphics\n"
                         "Streaming Music\n"
                         "Wild\n"},
            {barTime(12), "At the party place\n"
                          "\n"
                          "Bring your own computer\n"
                          "Big screen and sound\n"
                          "Power and network for all\n"
                          "Sleeping hall\n"
                          "Food and drinks all weekend\n"
                          "Live compos and seminars\n"
                          "Remote entries welcome"},
            {barTime(16), "See you there\n"
                          "\n"
                          "Tevro orga\n"
                          "invite@tevro.invalid\n"
                          "tevro.invalid\n"
                          "\n"
                          "Bring a demo and a friend\n"}};
}

bool Scene5Operator::loadMore()
{
    return loadScreenImage("Data\\tevro_overlay1.png", frame_);
}

fx::Font* Scene5Operator::pageFont() const
{
    return demo().font64();
}

ShaderSceneParams Scene5Operator::params(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    const float pulse = bars <= 15.0f ? 1.0f + (std::sin(4.0f * Pi * bars + Pi) + 1.0f) / 10.0f : 1.2f;

    ShaderSceneParams values;
    values.a = {bars / 14.0f + 1.2f, std::sin(bars * Pi / 7.0f), bars * bars / 10.0f, 0.0f};
    values.b = {static_cast<float>(std::sin(bars * Pi / 5.0 + 0.5) / 3.0), 0.0f, 0.0f, 0.0f};
    values.c1 = Grey;
    values.c2 = Orange;
    if (bars > 15.0f) {
        const float s = std::sqrt(bars - 15.0f);
        values.c3 = {s, s, s, 0.0f};
    } else if (bars < 1.0f) {
        const float v = (1.0f - bars) * (1.0f - bars);
        values.c3 = {v, v, v, v};
    }
    values.f = {bars / 10.0f, 0.3f + (bars * 0.2f / 16.0f) * pulse * 10.0f, 1.0f,
                (bars * 0.5f / 16.0f) * pulse * 10.0f};
    values.g = aspectVector(graphics().aspectRatio());
    return values;
}

int Scene5Operator::pageLevel(float phase)
{
    constexpr float FadeOut = barTime(4) - 1.0f; // the last second of the page
    if (phase < 1.0f)
        return 255 - static_cast<int>((1.0f - phase) * 255.0f);
    if (phase > FadeOut)
        return 255 - static_cast<int>((phase - FadeOut) * 255.0f);
    return 255;
}

// The page, then the frame over everything at distance 1. The frame sets every state it needs
// itself: without the "Text" target the page is not drawn, and its states with it.
void Scene5Operator::overlay(const FrameTime&)
{
    const float turn = std::sin(pagePhase() / 10.0f);
    drawTextQuad(graphics(), pageLevel(pagePhase()), {0.5f, 0.28f, 3.0f}, turn, turn);

    const float aspect = graphics().aspectRatio();
    // The frame's 16:9 is 1.777777, a digit shorter than PictureAspect, as it was first written.
    const Quad frame =
        screenQuad(aspect, graphics().width(), graphics().height(), 1.777777f / aspect, 0.0f, 0x00FFFFFF);
    fx::MatrixStack& stack = graphics().matrixStack();
    stack.loadIdentity();
    stack.translateLocal(0.0f, 0.0f, 1.0f);
    device().setRenderState(gfx::RenderState::ZEnable, 0);
    drawPicture(graphics(), frame, frame_, stack.top());
    device().setRenderState(gfx::RenderState::ZEnable, 1);
}

PostProcessParams Scene5Operator::look(const FrameTime& t) const
{
    const float bars = barPosition(t.local);
    float wash = 0.0f, glow = 0.0f;
    if (bars > 15.0f) {
        wash = std::sqrt(bars - 15.0f);
        glow = (bars - 15.0f) * 0.03f;
    } else if (bars < 1.0f) {
        wash = (1.0f - bars) * (1.0f - bars);
        glow = (1.0f - bars) * 0.03f;
    }
    return {0.3f, {1, 3, wash, glow}, {1, 1, 1, 1}};
}

} // namespace orb
