#include "GfxTestSupport.h"
#include "LitEffect.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Matrix.h"
#include "platform/fx/Mesh.h"

#include <cstring>

namespace orb::fx {
namespace {

// Rows of small boxes under the lit effect, each with its own place, turn and colour, drawn once
// with the device gathering mesh draws and once without.
class GatheredDrawTest : public gfx::test::DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        effect_ = makeEffect(test::LitEffect);
        box_ = Mesh::createBox(*device_, 0.6f, 0.6f, 0.6f, nullptr);
        slab_ = Mesh::createBox(*device_, 3.0f, 0.2f, 1.0f, nullptr);
        ASSERT_TRUE(effect_ && box_ && slab_);
    }

    std::unique_ptr<Effect> makeEffect(const char* text)
    {
        std::string log;
        auto effect = Effect::create(*device_, text, std::strlen(text), &log);
        EXPECT_NE(effect, nullptr) << log;
        return effect;
    }

    void set(Effect& effect, const char* name, const std::array<float, 4>& value)
    {
        effect.setValue(effect.parameterByName(name), value.data(), Effect::DeclaredSize);
    }

    // `between` runs after the 20th box, in the middle of a run of draws.
    std::vector<gfx::Color> drawBoxes(Effect& effect, bool gathering, const std::function<void()>& between)
    {
        device_->setDrawGathering(gathering);
        device_->setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
        clear(gfx::test::Black);
        effect.setMatrix(effect.parameterByName("projection"),
                         perspectiveFovLH(0.8f, 4.0f / 3.0f, 1.0f, 100.0f));
        effect.setMatrix(effect.parameterByName("view"), translation(0.0f, 0.0f, 12.0f));
        effect.begin();
        effect.beginPass(0);
        for (int i = 0; i < 40; ++i) {
            effect.setMatrix(
                effect.parameterByName("world"),
                rotationYawPitchRoll(i * 0.3f, i * 0.2f, 0.0f) *
                    translation(static_cast<float>(i % 8) - 3.5f, static_cast<float>(i / 8) - 2.0f, 0));
            set(effect, "diffuse", {0.2f + (i % 5) * 0.2f, 0.5f, 1.0f - (i % 3) * 0.3f, 1.0f});
            effect.commitChanges();
            box_->drawSubset(0);
            if (i == 20)
                between();
        }
        effect.commitChanges();
        slab_->drawSubset(0);
        effect.endPass();
        effect.end();
        return frame();
    }

    std::unique_ptr<Effect> effect_;
    std::unique_ptr<Mesh> box_, slab_;
};

TEST_F(GatheredDrawTest, GatheredDrawsGiveTheSamePixelsAsDrawsMadeOneByOneInFewerCalls)
{
    const auto nothing = [] {};
    const std::uint64_t before = device_->drawCalls();
    const std::vector<gfx::Color> oneByOne = drawBoxes(*effect_, false, nothing);
    const std::uint64_t separate = device_->drawCalls() - before;
    const std::vector<gfx::Color> gathered = drawBoxes(*effect_, true, nothing);
    EXPECT_EQ(gathered, oneByOne);
    EXPECT_EQ(separate, 41u);
    EXPECT_EQ(device_->drawCalls() - before - separate, 2u) << "40 boxes at once, then the slab";
    EXPECT_GT(std::count(oneByOne.begin(), oneByOne.end(), gfx::test::Black), 100) << "boxes, not a fill";
}

TEST_F(GatheredDrawTest, AValueOrAStateChangingInTheMiddleGivesTheSamePixels)
{
    // The view moves for the boxes after the 20th: a value that was the same for all until then.
    const auto moveView = [this] {
        effect_->setMatrix(effect_->parameterByName("view"), translation(0.5f, 0.0f, 13.0f));
    };
    EXPECT_EQ(drawBoxes(*effect_, true, moveView), drawBoxes(*effect_, false, moveView));
    // Halfway, blending that keeps the target as it is: the boxes drawn before stay visible.
    const auto blend = [this] {
        device_->setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
        device_->setRenderState(gfx::RenderState::SrcBlend, gfx::Blend::Zero);
        device_->setRenderState(gfx::RenderState::DestBlend, gfx::Blend::One);
    };
    EXPECT_EQ(drawBoxes(*effect_, true, blend), drawBoxes(*effect_, false, blend));
}

TEST_F(GatheredDrawTest, ATextureChangingInTheMiddleGivesTheSamePixels)
{
    std::string text = test::LitEffect;
    text.replace(text.find("in vec3 worldNormal;\nout"), 0, "layout(binding = 0) uniform sampler2D tint;\n");
    text.replace(text.find("colour = vec4(diffuse.rgb"), 25, "colour = vec4(texture(tint, vec2(0.5)).rgb");
    auto effect = makeEffect(text.c_str());
    ASSERT_NE(effect, nullptr);
    const auto red = gfx::test::makeTexture(*device_, 1, 1, {0xFFFF0000});
    const auto blue = gfx::test::makeTexture(*device_, 1, 1, {0xFF0000FF});
    // The boxes after the 20th are tinted blue, those before stay red.
    const auto toBlue = [&] { device_->setTexture(0, blue.get()); };
    device_->setTexture(0, red.get());
    const std::vector<gfx::Color> oneByOne = drawBoxes(*effect, false, toBlue);
    device_->setTexture(0, red.get());
    EXPECT_EQ(drawBoxes(*effect, true, toBlue), oneByOne);
    device_->setTexture(0, nullptr);
}

TEST_F(GatheredDrawTest, StatesSetToTheValuesTheyHoldKeepTheDrawsGathered)
{
    const auto again = [this] {
        device_->setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
        device_->setTexture(0, device_->texture(0));
        device_->setSamplerState(0, gfx::SamplerState::AddressU,
                                 device_->samplerState(0, gfx::SamplerState::AddressU));
        device_->setTransform(gfx::TransformType::World, device_->transform(gfx::TransformType::World));
    };
    const std::uint64_t before = device_->drawCalls();
    drawBoxes(*effect_, true, again);
    EXPECT_EQ(device_->drawCalls() - before, 2u) << "40 boxes at once, then the slab";
}

TEST_F(GatheredDrawTest, AnEffectWhoseDeclarationsCannotBeReadPerInstanceDrawsOneByOne)
{
    std::string text = test::LitEffect;
    text.replace(text.find("uniform vec4 diffuse;"), 21, "uniform vec4 diffuse, unused;");
    auto effect = makeEffect(text.c_str());
    ASSERT_NE(effect, nullptr);
    const std::vector<gfx::Color> oneByOne = drawBoxes(*effect, false, [] {});
    const std::uint64_t before = device_->drawCalls();
    EXPECT_EQ(drawBoxes(*effect, true, [] {}), oneByOne);
    EXPECT_EQ(device_->drawCalls() - before, 41u);
}

TEST_F(GatheredDrawTest, DrawsGatheredBeforeTheirMeshGoesAwayAreStillMade)
{
    effect_->setMatrix(effect_->parameterByName("projection"),
                       perspectiveFovLH(0.8f, 4.0f / 3.0f, 1.0f, 100.0f));
    effect_->setMatrix(effect_->parameterByName("view"), translation(0.0f, 0.0f, 4.0f));
    set(*effect_, "diffuse", {1, 1, 1, 1});
    clear(gfx::test::Black);
    effect_->begin();
    effect_->beginPass(0);
    for (float x : {-1.0f, 1.0f}) {
        effect_->setMatrix(effect_->parameterByName("world"), translation(x, 0.0f, 0.0f));
        effect_->commitChanges();
        box_->drawSubset(0);
    }
    box_.reset();
    effect_->endPass();
    effect_->end();
    EXPECT_NE(pixel(Width / 2 - 12, Height / 2), gfx::test::Black);
    EXPECT_NE(pixel(Width / 2 + 12, Height / 2), gfx::test::Black);
}

// Timed, the pass and the mesh batch inside it each get their own time, under their labels, and the
// frame is drawn as without timing; a later frame files only what it ran.
TEST_F(GatheredDrawTest, TimedPassesAreNamedByTheirEffectAndHoldTheirMeshBatches)
{
    const auto nothing = [] {};
    const std::vector<gfx::Color> untimed = drawBoxes(*effect_, true, nothing);
    device_->setPassTiming(true);
    effect_->setName("Lit.fx");
    device_->passTimer()->startFrame();
    const std::vector<gfx::Color> timed = drawBoxes(*effect_, true, nothing);
    const std::vector<gfx::PassTimer::Time> passes = device_->passTimer()->endFrame();
    EXPECT_EQ(timed, untimed);

    std::vector<std::string> labels;
    for (const gfx::PassTimer::Time& pass : passes) {
        labels.push_back(pass.label);
        EXPECT_GE(pass.wallMilliseconds, 0.0) << pass.label;
        EXPECT_GE(pass.glMilliseconds, 0.0) << pass.label;
    }
    // The slab is a draw of its own, inside the pass but no batch.
    EXPECT_EQ(labels, (std::vector<std::string>{"other", "Lit.fx pass 0", "Lit.fx pass 0 / mesh batch"}));

    // A frame that draws nothing ran only what lies outside any pass.
    device_->passTimer()->startFrame();
    labels.clear();
    for (const gfx::PassTimer::Time& pass : device_->passTimer()->endFrame())
        if (pass.ran)
            labels.push_back(pass.label);
    EXPECT_EQ(labels, std::vector<std::string>{"other"});
}

} // namespace
} // namespace orb::fx
