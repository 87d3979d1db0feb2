#pragma once

// PictureCover -- where a blended picture shows at all: the tiles of its texture that hold a texel
// not wholly transparent, widened on every side by as far as filtering reaches into the coarser
// mipmaps, merged into rectangles. A fragment of alpha 0 leaves the pixel under it as it was, so
// drawing only those rectangles gives the same picture; a frame around an empty middle then costs
// a fraction of its full-screen quad on a software rasteriser, which shades and blends every pixel
// a quad covers.
//
// Does: find the rectangles once, from the texels; cut a quad into them, as a triangle list kept
//       from frame to frame.
// Does not: follow changes to the texture's texels after it was made.
//
//   Picture logo;   // loaded by SceneOperator::loadScreenImage
//   drawPicture(graphics, imageQuad(aspect, width, height, 0.0f, White), logo, world);

#include "Operators/SceneShared.h"

#include <vector>

namespace orb {

class PictureCover
{
public:
    // The whole texture: the quad as it is.
    PictureCover();
    // Of `texels` (0xAARRGGBB, rows from the top, as Device::readPixels gives them).
    static PictureCover of(const std::vector<gfx::Color>& texels, int width, int height);

    // The parts of `quad` that show, two triangles each, in storage that keeps its room. The quad's
    // texture coordinates run along its sides (u from left to right, v from bottom to top side).
    const std::vector<QuadVertex>& triangles(const Quad& quad);
    // The part of the texture drawn, 0 to 1.
    float share() const;

private:
    // A rectangle of tiles; along its top and bottom sides, every column where a rectangle above or
    // below begins or ends, so that rectangles meet corner to corner: a side shared with part of a
    // longer one would be rasterised along a line a rounding away from it, drawing a pixel there
    // twice or not at all.
    struct Rectangle
    {
        int firstColumn, endColumn, firstRow, endRow;
        std::vector<int> top, bottom; // columns, from firstColumn to endColumn
    };

    float u(int column) const;
    float v(int row) const;

    int width_ = 1, height_ = 1, columns_ = 1, rows_ = 1;
    std::vector<Rectangle> rectangles_;
    std::vector<QuadVertex> triangles_;
};

// A screen image and the parts of it that show.
struct Picture
{
    std::unique_ptr<gfx::Texture> texture;
    PictureCover cover;
};

// drawPicture for a Picture: only its covered parts.
void drawPicture(GraphicSystem& graphics, const Quad& quad, Picture& picture, const fx::Matrix& world,
                 const fx::Matrix& view = fx::Matrix::identity(), float nearPlane = 0.1f);

} // namespace orb
