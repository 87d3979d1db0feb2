#include "Operators/PictureCover.h"

#include "OperatorFixture.h"
#include "platform/fx/ImageTexture.h"

#include <algorithm>
#include <cstdlib>

namespace orb::test {
namespace {

// A frame two texels wide, 30 texels in from the edges, around nothing, and a half-transparent
// disc, whose rows end at different columns: the cover's rectangles meet along lines where one is
// longer than the next.
gfx::Color framedStep(int x, int y)
{
    const bool frame = (x >= 30 && x < 1250 && (y == 30 || y == 31 || y == 688 || y == 689)) ||
                       (y >= 30 && y < 690 && (x == 30 || x == 31 || x == 1248 || x == 1249));
    const bool disc = (x - 640) * (x - 640) + (y - 360) * (y - 360) < 150 * 150;
    if (frame)
        return 0xFFFFA000;
    return disc ? 0x80FFFFFF : 0x00000000;
}

class PictureCoverTest : public OperatorTest
{
protected:
    // The back buffer after the picture, turned in depth as the title screen turns it, over grey.
    std::vector<gfx::Color> drawn(Picture& picture)
    {
        GraphicSystem& graphics = *demo_->graphicSystem();
        device().clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, 0xFF404040, 1.0f, 0);
        const fx::Matrix world =
            fx::rotationYawPitchRoll(0.3f, 0.2f, 0.1f) * fx::translation(0.0f, 0.0f, 1.0f);
        drawPicture(graphics,
                    imageQuad(graphics.aspectRatio(), graphics.width(), graphics.height(), 0.0f, 0x00FFFFFF),
                    picture, world);
        return device().readPixels(device().backBuffer());
    }
};

// Drawn in its covered parts only, the picture is the whole quad's, at the screen's size and at a
// quarter of it; and the covered parts are well under half of it.
TEST_F(PictureCoverTest, ACoveredPictureIsTheWholeQuadsPicture)
{
    const std::string bytes = png(1280, 720, framedStep);
    for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{320, 180}}) {
        startGraphics(width, height);
        Picture picture;
        picture.texture =
            fx::createTextureFromImage(device(), bytes.data(), bytes.size(), 1280, 720, nullptr);
        ASSERT_NE(picture.texture, nullptr);
        const std::vector<gfx::Color> whole = drawn(picture);
        picture.cover = PictureCover::of(device().readPixels(picture.texture->surfaceLevel(0)), 1280, 720);
        EXPECT_LT(picture.cover.share(), 0.5f);
        const std::vector<gfx::Color> covered = drawn(picture);
        ASSERT_EQ(covered.size(), whole.size());
        int largest = 0;
        for (std::size_t i = 0; i < whole.size(); ++i)
            for (const int shift : {0, 8, 16})
                largest = std::max(largest, std::abs(static_cast<int>(whole[i] >> shift & 0xFF) -
                                                     static_cast<int>(covered[i] >> shift & 0xFF)));
        // Interpolated across other triangles, a texture coordinate may round to a neighbouring
        // filter weight: a level or two at a sharp edge, never a pixel drawn twice or left out.
        EXPECT_LE(largest, 3) << width << " x " << height;
    }
}

TEST(PictureCover, OfNothingDrawsNothingAndOfTexelsItCannotReadDrawsTheWholeQuad)
{
    const Quad quad = screenQuad(16.0f / 9.0f, 64, 36, 1.0f, 0.0f, 0xFFFFFFFF);
    PictureCover clear = PictureCover::of(std::vector<gfx::Color>(64 * 36, 0x00FFFFFF), 64, 36);
    EXPECT_EQ(clear.share(), 0.0f);
    EXPECT_TRUE(clear.triangles(quad).empty());

    PictureCover unread = PictureCover::of({}, 64, 36);
    EXPECT_EQ(unread.share(), 1.0f);
    const std::vector<QuadVertex>& whole = unread.triangles(quad);
    ASSERT_EQ(whole.size(), 6u);
    for (const QuadVertex& corner : quad)
        EXPECT_TRUE(std::any_of(whole.begin(), whole.end(), [&corner](const QuadVertex& vertex) {
            return vertex.x == corner.x && vertex.y == corner.y && vertex.u == corner.u &&
                   vertex.v == corner.v;
        }));
}

} // namespace
} // namespace orb::test
