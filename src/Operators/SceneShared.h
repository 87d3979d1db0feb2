#pragma once

// What the scenes share: the tempo, the swing on the beat, the flicker term with the shake and
// glow made of it, the two cameras, the samplers, and the full-screen 16:9 picture.
//
// The image quad lies at distance 1 before a camera with a vertical field of view of pi/2, so
// positions (+-A, +-1) fill the screen (A the display's aspect ratio). Its texture coordinates
// are centred on (0.5 + 0.5/W, 0.5 + 0.5/H) and span 1 across and 16/9 / A down, so a 16:9
// image fills the width and is cropped or extended vertically on other displays.
//
//   drawPicture(graphics, imageQuad(aspect, width, height, 0.0f, White), image, world);

#include "GraphicSystem.h"
#include "Tempo.h"
#include "platform/fx/Effect.h"
#include "platform/fx/Matrix.h"
#include "platform/gfx/Device.h"

#include <array>
#include <memory>

namespace orb {

class FileSystem;

// pi as single precision has it, as the scenes' formulas use it (also inside double expressions).
constexpr float Pi = 3.1415927f;

// The production's pictures are 16:9; a display of another shape crops or extends them.
constexpr float PictureAspect = 1.7777777f;

// sin(4 pi B + 3 pi / 4): a swing twice a bar that starts on its way down, in double precision.
double beatSwing(float bars);

// sin(x * factor): sampled once a frame with a large factor it behaves as noise.
float flicker(float x, float factor);

// sin in double precision, where the scenes' formulas write sin rather than sinf; their values
// are floats.
float sinOf(double x);

// A vector parameter of an effect, by name, at its declared size.
void setVector(fx::Effect& effect, const char* name, const std::array<float, 4>& value);

// The scenes' two cameras, far plane 1000: a 90-degree one, under which the screen quad at
// distance 1 fills the screen, and a 45-degree one.
fx::Matrix projection90(float aspect, float nearPlane);
fx::Matrix projection45(float aspect, float nearPlane);

// Sampler `sampler`'s U, V and W addressing, with linear filtering throughout.
void setSampler(gfx::Device& device, std::uint32_t sampler, std::uint32_t address);

// A jitter of up to 0.03 x amount across and up, on the stack's local side.
void shake(fx::MatrixStack& stack, float amount);

// The screens' glow at x (0 to 1): the bright-pass threshold and the glow's strength flicker more
// as x grows, `strength` scaling the latter; `wash` and `tint` are the compositor's own terms.
PostProcessParams flickeringGlow(float x, float strength, float wash, const std::array<float, 4>& tint);

struct QuadVertex
{
    float x, y, z;
    gfx::Color diffuse;
    float u, v;
};

// Bottom left, bottom right, top left, top right.
using Quad = std::array<QuadVertex, 4>;

// The screen-filling quad at depth z showing a texture's whole width and a centred band `vSpan`
// of its height, with Direct3D's half-texel offset.
Quad screenQuad(float aspect, int width, int height, float vSpan, float z, gfx::Color color);
// screenQuad for a 16:9 picture: vSpan is 16/9 / A.
Quad imageQuad(float aspect, int width, int height, float z, gfx::Color color);

// While it lives, a multisampled back buffer's single-sampled stand-in is bound in its place,
// without depth: for draws that samples would not change, as every edge they have falls where
// they leave the picture as it was (a pass over every pixel, pictures with transparent borders;
// the first draws over the colour the back buffer was cleared to). The samples take the
// stand-in's pixels only if something is drawn into them afterwards. With any other target
// bound, or without samples, it changes nothing.
class SingleSampled
{
public:
    explicit SingleSampled(gfx::Device& device);
    ~SingleSampled();
    SingleSampled(const SingleSampled&) = delete;
    SingleSampled& operator=(const SingleSampled&) = delete;

private:
    gfx::Device& device_;
    gfx::Surface* target_;
    gfx::Surface* depth_;
    bool bound_;
};

// The quad's vertex format; no culling, no lighting; sampler 0 clamped and linear.
void setImageQuadStates(gfx::Device& device);
// One blended strip (SRCALPHA, INVSRCALPHA) with `texture` on stage 0; blending off afterwards.
void drawImageQuad(gfx::Device& device, const Quad& quad, gfx::BaseTexture* texture);
// The quad's states, the 90-degree camera, `world` and `view`, then drawImageQuad: a picture
// shown whatever the device held before.
void drawPicture(GraphicSystem& graphics, const Quad& quad, gfx::BaseTexture* picture,
                 const fx::Matrix& world, const fx::Matrix& view = fx::Matrix::identity(),
                 float nearPlane = 0.1f);

// An image file through the FileSystem, scaled to width x height. False when the file cannot
// be opened; an image that does not decode leaves `texture` null.
bool loadImage(FileSystem& files, gfx::Device& device, const char* fileName, int width, int height,
               std::unique_ptr<gfx::Texture>& texture);

} // namespace orb
