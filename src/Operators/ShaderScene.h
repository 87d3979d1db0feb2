#pragma once

// ShaderScene -- what the five shader scenes share: the values they hand their effect, the one
// full-screen effect pass, the text pages rendered into the "Text" target, and the quad that lays
// that target over the picture.
//
// Does: draw pass 0 of a scene's effect over the whole screen with the noise volume on stage 0;
//       redraw a page of text once per page period, the first frame of each; add the text to the
//       picture as a blended, turned quad.
// Does not: keep state of its own. A scene with text keeps its TextPager as long as the
//       operator lives, through loops and seeks, as the scenes' timing expects.
//
//   TextPager pager(barTime(4), {{barTime(4), "Page one"}, {barTime(8), "Page two"}});
//   const float phase = pager.update(graphics, demo().font64(), t.local);
//   drawShaderPass(graphics, *effect_, params, nullptr);
//   drawTextQuad(graphics, 255, {0.4f, 0.2f, 2.0f}, 0.0f, 0.0f);

#include "GraphicSystem.h"
#include "Operators/SceneShared.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Font.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orb {

// The shader scenes' two colours, orange (255, 150, 0) and grey (127, 127, 127).
constexpr std::array<float, 4> Orange = {1.0f, 0.5882353f, 0.0f, 0.0f};
constexpr std::array<float, 4> Grey = {0.49803922f, 0.49803922f, 0.49803922f, 0.0f};
// The logo's and the sprite's backgrounds write the same grey to seven places: one float less.
constexpr std::array<float, 4> BackgroundGrey = {0.4980392f, 0.4980392f, 0.4980392f, 0.0f};

// The values every shader scene sets on its effect, by these names, each frame. Every vector
// holds four floats: the effect reads as many as its parameter declares.
struct ShaderSceneParams
{
    std::array<float, 4> a{}, b{}, c1{}, c2{}, c3{}, f{}, g{};
    std::optional<float> invert; // only the scenes that use it
};

// The aspect vector every shader scene hands its effect as g: (A, A / 2, 0, 0).
std::array<float, 4> aspectVector(float aspect);

// Pass 0 of `effect` over the whole back buffer at depth 1: samplers mirrored and linear, the
// parameters a to g (and invert) committed, the noise volume on stage 0. A `stage1` texture goes
// on stage 1 with its sampler wrapped and linear.
void drawShaderPass(GraphicSystem& graphics, fx::Effect& effect, const ShaderSceneParams& params,
                    gfx::BaseTexture* stage1);

// A scene's pages of text, each shown below its end (local seconds) and from the previous end on.
struct TextPage
{
    float end;
    std::string text;
};

class TextPager
{
public:
    TextPager(float period, std::vector<TextPage> pages) : period_(period), pages_(std::move(pages)) {}

    // The phase of local time `local` in the page period. In the first frame of a period (the
    // phase fell since the last call) the page of `local` is drawn into the "Text" target with
    // `font`, centred, and the back buffer is bound again. Without the target that frame draws
    // no text; without a font the page is left empty. A page is drawn from a 500-byte buffer, as
    // the scenes' text always was: a longer one is cut to its first 499 bytes, and logged.
    float update(GraphicSystem& graphics, fx::Font* font, float local);

    // Draws every page once, into the "Text" target, so that the font holds their glyphs before
    // the first frame needs them. The pager's state is left as it was and the target empty.
    void drawEveryPage(GraphicSystem& graphics, fx::Font& font) const;

    // Counts every redraw; -1 before the first. Scenes read its parity.
    int redrawCount() const { return redrawCount_; }
    const std::vector<TextPage>& pages() const { return pages_; }

private:
    void redraw(GraphicSystem& graphics, RenderTarget& text, fx::Font* font, float local);
    static void drawPage(GraphicSystem& graphics, RenderTarget& text, fx::Font* font,
                         const std::string& page);

    float period_;
    std::vector<TextPage> pages_;
    float lastPhase_ = 1.0f;
    int redrawCount_ = -1;
};

// Adds the "Text" target over the picture at grey level k (0 hides it, 255 adds it fully): a quad
// of the screen's shape showing the target's whole width and the centred band 1 / A of its
// height, moved by `translation` and turned by `yaw` and `pitch` under a 45-degree camera.
void drawTextQuad(GraphicSystem& graphics, int k, const std::array<float, 3>& translation, float yaw,
                  float pitch);

} // namespace orb
