#pragma once

// A demo whose graphics run off-screen at 640 x 360 on the production's effects, for the
// operators' tests; and a title-and-end-screen script on top of it.

#include "GfxTestSupport.h"
#include "Operators/Scene10Operator.h"
#include "Operators/Scene1Operator.h"
#include "Operators/ShaderSceneOperator.h"
#include "ScriptTestSupport.h"

#include <array>
#include <functional>
#include <string>

namespace orb::test {

// PNG bytes of a width x height image in one ARGB colour.
std::string solidPng(int width, int height, gfx::Color color);
// PNG bytes of a width x height image whose pixel (x, y) is colour(x, y), in ARGB.
std::string png(int width, int height, const std::function<gfx::Color(int x, int y)>& colour);

// A 16:9 picture whose parts cannot be mistaken: its top third red on the left and green on the
// right, the rest blue on the left and white on the right.
std::string landmarkPng();

constexpr gfx::Color Blue = 0xFF0000FF, Red = 0xFFFF0000, Green = 0xFF00FF00;

class OperatorTest : public ScriptTest
{
protected:
    OperatorTest();

    // A fresh demo whose graphics run at width x height, the aspect ratio following.
    void startGraphics(int width, int height, int multisampleType = 0);
    gfx::Device& device() { return *demo_->graphicSystem()->device(); }
    // The back buffer's pixel, 0xRRGGBB.
    gfx::Color pixel(int x, int y);
};

// Red, green and blue of 0xRRGGBB.
inline int red(gfx::Color c)
{
    return static_cast<int>(c >> 16 & 0xFF);
}
inline int green(gfx::Color c)
{
    return static_cast<int>(c >> 8 & 0xFF);
}
inline int blue(gfx::Color c)
{
    return static_cast<int>(c & 0xFF);
}

// Which part of the landmark picture a pixel shows, dimmed or glowing as it may be: 'r', 'g',
// 'b', 'w' (white), or '?'.
char landmarkAt(gfx::Color c);

// The times a scene draws from at `local` seconds into an operator that runs from start to end.
FrameTime at(float local, float start, float end);

// Scene1 from 0 to 6.9564 (operator 0) and Scene10 from there to 20.8692 (operator 1), both
// showing the landmark picture.
class ScreenTest : public OperatorTest
{
protected:
    ScreenTest() { startScreens(640, 360); }

    void startScreens(int width, int height);

    IOperator* operatorAt(std::uint32_t id) const;
    // Where the stack's world matrix takes the screen quad's centre, (0, 0, 0).
    static std::array<float, 3> centre(const ScreenImageOperator& screen, const FrameTime& time);
    // Whether the screen's transforms at `time` leave the quad without any turn.
    static bool unturned(const ScreenImageOperator& screen, const FrameTime& time);

    Scene1Operator* title_ = nullptr;
    Scene10Operator* end_ = nullptr;
};

// One shader scene of the given type on its own for sixteen bars, 0 to 27.8256 s.
class ShaderSceneFixture : public OperatorTest
{
protected:
    // A script whose only operator is of the given type, for sixteen bars.
    static std::string soloScript(const std::string& type);
    // The demo's only operator, of the given type.
    IOperator* startOperator(const std::string& type);
    void startScene(const std::string& type);
    // The production's title font registered and the demo's text fonts made, as start-up does.
    void makeFonts();
    // How many of the "Text" target's pixels are lit (above half grey).
    long litTextPixels();
    // The local time of bar position `bars`, as the scene's frame takes it.
    static FrameTime atBars(float bars);
    // The back buffer after drawing the frame at bar position `bars`.
    std::vector<gfx::Color> frameAt(float bars);
    // The value its effect holds for `name` after drawing the frame at bar position `bars`.
    std::array<float, 4> drawnAt(float bars, const char* name);

    ShaderSceneOperator* scene_ = nullptr;
};

} // namespace orb::test
