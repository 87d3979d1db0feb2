#pragma once

// A demo whose graphics run off-screen at 640 x 360 on the production's effects, for the
// operators' tests; and a title-and-end-screen script on top of it.

#include "GfxTestSupport.h"
#include "Operators/Scene10Operator.h"
#include "Operators/Scene1Operator.h"
#include "ScriptTestSupport.h"

#include <array>
#include <string>

namespace orb::test {

// PNG bytes of a width x height image in one ARGB colour.
std::string solidPng(int width, int height, gfx::Color color);

constexpr gfx::Color Blue = 0xFF0000FF, Red = 0xFFFF0000, Green = 0xFF00FF00;

class OperatorTest : public ScriptTest
{
protected:
    OperatorTest();

    gfx::Device& device() { return *demo_->graphicSystem()->device(); }
    gfx::Color pixel(int x, int y);
};

// The times a scene draws from at `local` seconds into an operator that runs from start to end.
FrameTime at(float local, float start, float end);

// Scene1 from 0 to 6.9564 (operator 0) and Scene10 from there to 20.8692 (operator 1).
class ScreenTest : public OperatorTest
{
protected:
    ScreenTest();

    IOperator* operatorAt(std::uint32_t id) const;
    // Where the stack's world matrix takes the screen quad's centre, (0, 0, 0).
    static std::array<float, 3> centre(const ScreenImageOperator& screen, const FrameTime& time);

    Scene1Operator* title_ = nullptr;
    Scene10Operator* end_ = nullptr;
};

} // namespace orb::test
