#include "platform/fx/Effect.h"

#include "GfxTestSupport.h"
#include "platform/fx/Mesh.h"

#include <algorithm>
#include <cstdlib>

namespace orb::fx {
namespace {

using gfx::argb;
using gfx::RenderState;

std::unique_ptr<Effect> makeEffect(gfx::Device& device, const std::string& text, std::string* log = nullptr)
{
    std::string error;
    std::unique_ptr<Effect> effect = Effect::create(device, text.c_str(), text.size() + 1, &error);
    if (log != nullptr)
        *log = error;
    else if (!effect)
        ADD_FAILURE() << error;
    return effect;
}

const std::string FlatColour = R"(// A pass that paints its parameter, and a second one that paints it halved.
@common
uniform vec4 colour;
out vec4 result;

@pass 0
@state ZEnable = false
@state CullMode = None
@state AlphaBlendEnable = true
@state SrcBlend = One
@state DestBlend = Zero
@fragment
void main() { result = colour; }

@pass 1
@fragment
void main() { result = colour * 0.5; }
)";

class EffectTest : public gfx::test::DeviceTest
{
protected:
    void drawWith(Effect& effect, unsigned pass, float left, float right)
    {
        effect.begin();
        effect.beginPass(pass);
        gfx::test::drawRectangle(*device_, left, 0, right, Height);
        effect.endPass();
        effect.end();
    }

    void setColour(Effect& effect, float r, float g, float b)
    {
        const float colour[4] = {r, g, b, 1.0f};
        effect.setValue(effect.parameterByName("colour"), colour, Effect::DeclaredSize);
    }
};

// FlatColour with its second pass's statement replaced.
std::string secondPassWriting(const std::string& statement)
{
    const std::string halved = "result = colour * 0.5;";
    std::string text = FlatColour;
    return text.replace(text.find(halved), halved.size(), statement);
}

TEST_F(EffectTest, ReloadedTextDrawsWithTheValuesAlreadySet)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    setColour(*effect, 1.0f, 0.5f, 0.0f);
    const std::string text = secondPassWriting("result = colour.bgra;");
    std::string log;
    ASSERT_TRUE(effect->reload(text.c_str(), text.size(), &log)) << log;
    clear(gfx::test::Black);
    drawWith(*effect, 1, 0, 32);
    EXPECT_TRUE(gfx::test::near(pixel(10, 10), argb(255, 0, 128, 255)));
}

TEST_F(EffectTest, AReloadThatDoesNotCompileNamesItsLineAndKeepsTheEffect)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    setColour(*effect, 1.0f, 0.5f, 0.0f);
    const std::string text = secondPassWriting("result = colour * ;");
    std::string log;
    EXPECT_FALSE(effect->reload(text.c_str(), text.size(), &log));
    // The broken statement is on line 17 of the effect's text.
    EXPECT_NE(log.find("0:17("), std::string::npos) << log;
    clear(gfx::test::Black);
    drawWith(*effect, 1, 0, 32);
    EXPECT_TRUE(gfx::test::near(pixel(10, 10), argb(128, 128, 64, 0)));
}

TEST_F(EffectTest, ParametersReachTheShaderOfTheChosenPass)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->begin(), 2u);
    effect->end();
    setColour(*effect, 1.0f, 0.5f, 0.0f);
    clear(gfx::test::Black);
    drawWith(*effect, 0, 0, 32);
    drawWith(*effect, 1, 32, 64);
    EXPECT_TRUE(gfx::test::near(pixel(10, 10), argb(255, 255, 128, 0)));
    EXPECT_TRUE(gfx::test::near(pixel(40, 10), argb(128, 128, 64, 0)));
    EXPECT_FALSE(effect->beginPass(2));
    EXPECT_EQ(effect->parameterByName("missing"), nullptr);
    const float one = 1.0f;
    EXPECT_FALSE(effect->setValue(nullptr, &one, sizeof one));
}

// A shader sees a face's side by its winding on screen, clockwise in front as in Direct3D, whatever
// was culled before.
TEST_F(EffectTest, AClockwiseFaceIsSeenFromTheFrontWhateverWasCulledBefore)
{
    auto effect = makeEffect(*device_, R"(@pass 0
@state CullMode = None
@fragment
out vec4 result;
void main() { result = gl_FrontFacing ? vec4(0.0, 1.0, 0.0, 1.0) : vec4(1.0, 0.0, 0.0, 1.0); }
)");
    ASSERT_NE(effect, nullptr);
    for (const std::uint32_t before : {gfx::Cull::CounterClockwise, gfx::Cull::Clockwise}) {
        clear(gfx::test::Black);
        device_->setRenderState(RenderState::CullMode, before);
        gfx::test::drawRectangle(*device_, 0, 0, 1, 1); // the cull mode reaches GL with a draw
        drawWith(*effect, 0, 0, Width);
        EXPECT_EQ(pixel(32, 32), gfx::test::Green) << "after cull mode " << before;
    }
}

TEST_F(EffectTest, GivesBackTheValueLastSetUpToTheDeclaredSize)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    const Effect::Parameter* colour = effect->parameterByName("colour");
    const float set[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    effect->setValue(colour, set, sizeof set);
    float got[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_TRUE(effect->getValue(colour, got, sizeof got));
    EXPECT_EQ(got[2], 0.75f);
    EXPECT_EQ(got[3], 1.0f);
    EXPECT_EQ(got[4], 9.0f) << "no more than the four floats the parameter declares";
    EXPECT_FALSE(effect->getValue(nullptr, got, sizeof got));
}

TEST_F(EffectTest, ValuesSetInsideAPassWaitForCommitChanges)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    clear(gfx::test::Black);
    setColour(*effect, 1, 0, 0);
    effect->begin();
    effect->beginPass(0);
    gfx::test::drawRectangle(*device_, 0, 0, 20, Height);
    setColour(*effect, 0, 1, 0);
    gfx::test::drawRectangle(*device_, 20, 0, 40, Height);
    effect->commitChanges();
    gfx::test::drawRectangle(*device_, 40, 0, 64, Height);
    effect->endPass();
    effect->end();
    EXPECT_EQ(pixel(10, 5), gfx::test::Red);
    EXPECT_EQ(pixel(30, 5), gfx::test::Red);
    EXPECT_EQ(pixel(50, 5), gfx::test::Green);
}

TEST_F(EffectTest, EndRestoresTheStatesThePassesChangedAndNoOthers)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    device_->setRenderState(RenderState::SrcBlend, gfx::Blend::SrcAlpha);
    effect->begin();
    effect->beginPass(0);
    EXPECT_EQ(device_->renderState(RenderState::ZEnable), 0u);
    EXPECT_EQ(device_->renderState(RenderState::SrcBlend), gfx::Blend::One);
    device_->setRenderState(RenderState::Lighting, 0); // not the effect's to restore
    effect->endPass();
    effect->end();
    EXPECT_EQ(device_->renderState(RenderState::ZEnable), 1u);
    EXPECT_EQ(device_->renderState(RenderState::CullMode), gfx::Cull::CounterClockwise);
    EXPECT_EQ(device_->renderState(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(device_->renderState(RenderState::SrcBlend), gfx::Blend::SrcAlpha);
    EXPECT_EQ(device_->renderState(RenderState::DestBlend), gfx::Blend::Zero);
    EXPECT_EQ(device_->renderState(RenderState::Lighting), 0u);
    EXPECT_EQ(device_->programSource(), nullptr);
}

TEST_F(EffectTest, APassWithoutAVertexStageGetsTheFixedOneAndSamplersReadTheirStage)
{
    auto effect = makeEffect(*device_, R"(@pass 0
@fragment
in vec2 orb_vTexCoord;
layout(binding = 1) uniform sampler2D picture;
out vec4 result;
void main() { result = texture(picture, orb_vTexCoord) + vec4(orb_vTexCoord.x, 0, 0, 0); }
)");
    ASSERT_NE(effect, nullptr);
    auto picture = gfx::test::makeTexture(*device_, 1, 2, {gfx::test::Green, gfx::test::Blue});
    device_->setTexture(1, picture.get());
    drawWith(*effect, 0, 0, 64);
    EXPECT_TRUE(gfx::test::near(pixel(0, 0), argb(255, 2, 255, 0), 1)) << "u = 0.5 / 64 at the first pixel";
    EXPECT_TRUE(gfx::test::near(pixel(63, 47), argb(255, 253, 0, 255), 1));
}

// Red: orb_noise over 8 lattice cells across the frame; green: its 3D form; blue: orb_fractal.
TEST_F(EffectTest, TheLibrarysNoiseIsSmoothSpreadAndTheSameAtEveryDraw)
{
    auto effect = makeEffect(*device_, R"(@pass 0
@fragment
out vec4 result;
void main()
{
    vec2 p = gl_FragCoord.xy / 8.0;
    result = vec4(orb_noise(p), orb_noise(vec3(p, 2.5)), orb_fractal(p, 3), 1.0);
}
)");
    ASSERT_NE(effect, nullptr);
    drawWith(*effect, 0, 0, Width);
    const std::vector<gfx::Color> first = frame();
    clear(gfx::test::Black);
    drawWith(*effect, 0, 0, Width);
    EXPECT_EQ(frame(), first);

    for (int shift : {16, 8, 0}) {
        const auto channel = [&](int x, int y) {
            return static_cast<int>(first[y * Width + x] >> shift & 0xFF);
        };
        int lowest = 255, highest = 0, steepest = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                lowest = std::min(lowest, channel(x, y));
                highest = std::max(highest, channel(x, y));
                if (x > 0)
                    steepest = std::max(steepest, std::abs(channel(x, y) - channel(x - 1, y)));
                if (y > 0)
                    steepest = std::max(steepest, std::abs(channel(x, y) - channel(x, y - 1)));
            }
        EXPECT_LT(lowest, shift == 0 ? 100 : 64) << "channel at bit " << shift;
        EXPECT_GT(highest, shift == 0 ? 155 : 191) << "channel at bit " << shift;
        // A smoothstep between lattice values 1/8 cell apart changes by at most 1.5 / 8 of 255.
        EXPECT_LE(steepest, shift == 0 ? 80 : 48) << "channel at bit " << shift;
    }
}

TEST_F(EffectTest, AVertexStageOfItsOwnReceivesAttributesAndMatrices)
{
    auto effect = makeEffect(*device_, R"(@common
uniform mat4 world;
uniform vec3 tint;

@pass 0
@state CullMode = None
@vertex
layout(location = 0) in vec3 position;
layout(location = 2) in vec4 diffuse;
out vec4 colour;
void main() { gl_Position = vec4(position, 1.0) * world; colour = diffuse * vec4(tint, 1.0); }
@fragment
in vec4 colour;
out vec4 result;
void main() { result = colour; }
)");
    ASSERT_NE(effect, nullptr);
    // A quad over the left half of clip space, moved right by the world matrix.
    gfx::Matrix world = gfx::Matrix::identity();
    world.m[3][0] = 1.0f;
    const float tint[3] = {1.0f, 0.5f, 0.0f};
    effect->setMatrix(effect->parameterByName("world"), world);
    effect->setValue(effect->parameterByName("tint"), tint, Effect::DeclaredSize);
    EXPECT_FALSE(effect->setMatrix(effect->parameterByName("tint"), world));
    const gfx::test::ColoredVertex quad[4] = {{-1, 1, 0.5f, gfx::test::White, 0, 0},
                                              {0, 1, 0.5f, gfx::test::White, 0, 0},
                                              {-1, -1, 0.5f, gfx::test::White, 0, 0},
                                              {0, -1, 0.5f, gfx::test::White, 0, 0}};
    clear(gfx::test::Black);
    effect->begin();
    effect->beginPass(0);
    device_->setFvf(gfx::Fvf::Xyz | gfx::Fvf::Diffuse | gfx::Fvf::Tex1);
    device_->drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof quad[0]);
    effect->endPass();
    effect->end();
    EXPECT_EQ(pixel(10, 10), gfx::test::Black);
    EXPECT_TRUE(gfx::test::near(pixel(50, 10), argb(255, 255, 128, 0)));
}

TEST_F(EffectTest, ABrokenEffectExplainsItselfByLine)
{
    std::string log;
    EXPECT_EQ(makeEffect(*device_, "@pass 0\n@fragment\nout vec4 c;\nvoid main() { c = vec4(1) }\n", &log),
              nullptr);
    EXPECT_NE(log.find("pass 0"), std::string::npos) << log;
    EXPECT_NE(log.find("0:4("), std::string::npos) << "the compiler names line 4 of the file: " << log;

    EXPECT_EQ(makeEffect(*device_, "@pass 0\n@state ZEnable = maybe\n", &log), nullptr);
    EXPECT_EQ(log, "line 2: bad value 'maybe' for ZEnable");
    EXPECT_EQ(makeEffect(*device_, "// fine\n@pass 0\n@colour\n", &log), nullptr);
    EXPECT_EQ(log, "line 3: unknown directive @colour");
    EXPECT_EQ(makeEffect(*device_, "@pass 0\n@vertex\nvoid main() {}\n", &log), nullptr);
    EXPECT_EQ(log, "line 3: pass 0 has no @fragment");
    EXPECT_EQ(makeEffect(*device_, "@pass 1\n@fragment\n", &log), nullptr);
    EXPECT_EQ(log, "line 1: passes must be numbered 0, 1, ... in order");
    EXPECT_EQ(makeEffect(*device_, "stray text\n@pass 0\n", &log), nullptr);
    EXPECT_EQ(log, "line 1: text outside any section");
}

TEST_F(EffectTest, DestroyingAnEffectDuringItsPassLeavesTheFixedStages)
{
    auto effect = makeEffect(*device_, FlatColour);
    ASSERT_NE(effect, nullptr);
    effect->begin();
    effect->beginPass(0);
    effect.reset();
    EXPECT_EQ(device_->programSource(), nullptr);
    clear(gfx::test::Black);
    gfx::test::drawRectangle(*device_, 0, 0, Width, Height);
    EXPECT_EQ(pixel(5, 5), gfx::test::White);
}

TEST_F(EffectTest, EffectsAndMeshesMayOutliveTheirDevice)
{
    auto effect = makeEffect(*device_, FlatColour);
    auto box = Mesh::createBox(*device_, 1, 1, 1, nullptr);
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(box, nullptr);
    device_.reset();
    box->drawSubset(0);
    box.reset();
    effect.reset();
}

} // namespace
} // namespace orb::fx
