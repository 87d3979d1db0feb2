#pragma once

// ShaderSceneOperator -- a scene drawn by one full-screen effect pass: the scene gives its effect
// file, the values its effect gets from the bar clock, and its post-processing values; a scene
// with text gives its pager and font, has its page drawn before the pass and lays it over the
// picture after it.
//
//   class Scene8Operator final : public ShaderSceneOperator {
//       ShaderSceneParams params(const FrameTime& t) const override { ... }
//       PostProcessParams look(const FrameTime& t) const override { ... }
//       const char* effectFile() const override { return "Data\\Scene8.fx"; }
//   };

#include "Operators/SceneOperator.h"
#include "Operators/ShaderScene.h"

namespace orb {

class ShaderSceneOperator : public SceneOperator
{
public:
    using SceneOperator::SceneOperator;

    // What a frame at `time` hands its effect, and its post-processing values.
    virtual ShaderSceneParams params(const FrameTime& time) const = 0;
    virtual PostProcessParams look(const FrameTime& time) const = 0;

    const fx::Effect* effect() const override { return effect_.get(); }

protected:
    virtual const char* effectFile() const = 0;
    // Whatever else the scene loads, after its effect; false when it is missing.
    virtual bool loadMore() { return true; }
    // A scene with pages of text: its pager, which lives as long as the operator (through loops
    // and seeks, not past a reload of the script), and the font of its pages.
    virtual TextPager* textPager() { return nullptr; }
    virtual fx::Font* pageFont() const { return nullptr; }
    // Where the frame stands in the page period, once its page is drawn.
    float pagePhase() const { return pagePhase_; }
    // What stands in front of the pass's picture and hides it, drawn before it with depth: a
    // pass that tests depth then shades only the pixels left to it, for the same frame. Nothing
    // by default.
    virtual void foreground(const FrameTime&) {}
    // Over the pass's picture before the post-processing; nothing by default.
    virtual void overlay(const FrameTime&) {}
    // Whether the foreground or the overlay draws edges that multisampling smooths, and depth:
    // then the frame is drawn into the back buffer's samples. Without, into the single-sampled
    // stand-in (see SingleSampled).
    virtual bool hasEdges() const { return false; }
    // What the pass finds on texture stage 1; nothing by default.
    virtual gfx::BaseTexture* stage1() const { return nullptr; }
    // For a foreground or an overlay drawn with another pass of the scene's effect.
    fx::Effect& sceneEffect() { return *effect_; }

private:
    bool load() final;
    void draw(const FrameTime& time) final;
    void rehearse() final;
    void prepareText() final;

    std::unique_ptr<fx::Effect> effect_;
    float pagePhase_ = 0.0f;
};

// How strong the glow is between the fades, and how much stronger for every bar of them.
struct GlowRates
{
    float steady;
    float perBarIn;  // for every bar of the fade in still to go
    float perBarOut; // for every bar of the wash out gone
};

// The shader scenes' post-processing: a 0.3 glow threshold; a fade in from white over the first
// `fadeInBars` bars; a wash out to white after bar 15.
PostProcessParams whiteFades(float bars, float fadeInBars, const GlowRates& glow);

} // namespace orb
