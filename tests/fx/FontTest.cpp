#include "platform/fx/Font.h"

#include "GfxTestSupport.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace orb::fx {
namespace {

using gfx::Color;
using gfx::test::Black;
using gfx::test::readFile;
using gfx::test::White;

constexpr const char* DejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* DejaVuSerif = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf";
constexpr std::uint32_t CentredNoClip = TextFormat::Center | TextFormat::VCenter | TextFormat::NoClip;

void registerDejaVuSans()
{
    static const int faces = [] {
        const std::vector<unsigned char> bytes = readFile(DejaVuSans);
        return registerFontMemory(bytes.data(), bytes.size());
    }();
    ASSERT_EQ(faces, 1);
}

// One byte per pixel, rows top first.
struct Coverage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> values;

    bool operator==(const Coverage&) const = default;
};

// Pixels [left, right) x [top, bottom) that hold anything but the background.
struct Box
{
    int left = 0, top = 0, right = 0, bottom = 0;

    bool empty() const { return left >= right || top >= bottom; }
    double centreX() const { return (left + right) / 2.0; }
    double centreY() const { return (top + bottom) / 2.0; }
};

Box inkBox(const std::vector<Color>& frame, int width, Color background)
{
    Box box{width, static_cast<int>(frame.size()) / width, 0, 0};
    for (std::size_t i = 0; i < frame.size(); ++i)
        if (frame[i] != background) {
            const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                   std::max(box.bottom, y + 1)};
        }
    return box;
}

// The red channel inside the ink box: the coverage of white text drawn on black.
Coverage inkCoverage(const std::vector<Color>& frame, int width)
{
    const Box box = inkBox(frame, width, Black);
    Coverage ink{box.right - box.left, box.bottom - box.top, {}};
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            ink.values.push_back(
                static_cast<unsigned char>(frame[static_cast<std::size_t>(y * width + x)] >> 16));
    return ink;
}

// What FreeType itself renders for a character in a cell of `height` pixels, cropped to its ink.
class ReferenceFont
{
public:
    ReferenceFont(const char* path, int height)
    {
        FT_Init_FreeType(&library_);
        FT_New_Face(library_, path, 0, &face_);
        FT_Size_RequestRec cell{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, height * 64, 0, 0};
        FT_Request_Size(face_, &cell);
    }
    ~ReferenceFont()
    {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }

    Coverage glyph(char32_t codePoint) const
    {
        FT_Load_Char(face_, codePoint, FT_LOAD_RENDER);
        const FT_Bitmap& bitmap = face_->glyph->bitmap;
        const int width = static_cast<int>(bitmap.width);
        std::vector<Color> asFrame;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (int column = 0; column < width; ++column)
                asFrame.push_back(Black | Color{bitmap.buffer[row * bitmap.pitch + column]} << 16);
        return inkCoverage(asFrame, width);
    }

    int advance(char32_t codePoint) const
    {
        FT_Load_Char(face_, codePoint, FT_LOAD_DEFAULT);
        return static_cast<int>(face_->glyph->advance.x >> 6);
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class FontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerDejaVuSans();
        device_ = gfx::test::makeDevice(Size, Size);
        ASSERT_NE(device_, nullptr);
        clear(Black);
    }

    std::unique_ptr<Font> font(int height, const char* face = "DejaVu Sans")
    {
        std::string error;
        std::unique_ptr<Font> font = Font::create(*device_, height, face, &error);
        EXPECT_NE(font, nullptr) << error;
        return font;
    }

    void clear(Color color)
    {
        device_->clear(gfx::ClearFlag::Target | gfx::ClearFlag::ZBuffer, color, 1.0f, 0);
    }
    std::vector<Color> frame() { return device_->readPixels(device_->renderTarget(0)); }
    Box ink() { return inkBox(frame(), Size, Black); }

    // The frame after drawing white text alone on black.
    std::vector<Color> drawn(Font& font, const char* text, const TextRect& rect, std::uint32_t format)
    {
        clear(Black);
        font.drawText(text, -1, rect, format, White);
        return frame();
    }

    static constexpr int Size = 64;
    static constexpr TextRect Middle{32, 32, 32, 32};
    std::unique_ptr<gfx::Device> device_;
};

TEST(FontRegistration, CountsTheFacesOfAFontFileAndRefusesOtherBytes)
{
    const std::vector<unsigned char> sans = readFile(DejaVuSans);
    ASSERT_FALSE(sans.empty());
    EXPECT_EQ(registerFontMemory(sans.data(), sans.size()), 1);

    const char text[] = "These bytes are no font at all.";
    EXPECT_EQ(registerFontMemory(text, sizeof text), 0);
    EXPECT_EQ(registerFontMemory(sans.data(), 12), 0) << "a font's first bytes alone";
    EXPECT_EQ(registerFontMemory(nullptr, 100), 0);
    EXPECT_EQ(registerFontMemory(sans.data(), 0), 0);
}

TEST_F(FontTest, DrawsARegisteredFamilyWithItsOwnGlyphsFromItsOwnCopyOfTheBytes)
{
    {
        std::vector<unsigned char> serif = readFile(DejaVuSerif);
        ASSERT_EQ(registerFontMemory(serif.data(), serif.size()), 1);
        std::fill(serif.begin(), serif.end(), 0);
    }
    auto serif = font(32, "dejavu serif");
    const Coverage drawnH = inkCoverage(drawn(*serif, "H", Middle, CentredNoClip), Size);
    EXPECT_EQ(drawnH, ReferenceFont(DejaVuSerif, 32).glyph('H'));
    EXPECT_NE(drawnH, ReferenceFont(DejaVuSans, 32).glyph('H'));
}

TEST_F(FontTest, FallsBackToAnotherFontForAnUnknownFaceAndRefusesImpossibleHeights)
{
    auto fallback = font(32, "No Such Face Anywhere");
    ASSERT_NE(fallback, nullptr);
    EXPECT_FALSE(inkBox(drawn(*fallback, "H", Middle, CentredNoClip), Size, Black).empty());
    EXPECT_NE(Font::create(*device_, 32, nullptr, nullptr), nullptr);

    for (int height : {0, -12, 5000}) {
        std::string error;
        EXPECT_EQ(Font::create(*device_, height, "DejaVu Sans", &error), nullptr) << height;
        EXPECT_NE(error.find("height"), std::string::npos) << error;
    }
}

TEST_F(FontTest, CentresALetterOnTheRectanglesMiddle)
{
    auto sans = font(32);
    for (const char* letter : {"H", "I", "O"}) {
        drawn(*sans, letter, Middle, CentredNoClip);
        const Box box = ink();
        EXPECT_NEAR(box.centreX(), 32.0, 1.0) << letter;
        EXPECT_NEAR(box.centreY(), 32.0, 1.0) << letter;
    }
}

// DejaVu Sans in a 32-pixel cell, as FreeType hints it: 'H' advances 20 pixels, its left stem
// starts 2 pixels after the pen, and it stands on a baseline 26 pixels below the cell's top
// (the ascender, 1901/2384 of the cell, is 25.5 pixels). 'A' advances 18 pixels, 'V' is 19
// pixels wide, and the font kerns the pair "AV" by -2 pixels.

TEST_F(FontTest, AlignsToEachEdgeOfTheRectangle)
{
    auto sans = font(32);
    ASSERT_EQ(ReferenceFont(DejaVuSans, 32).advance('H'), 20);
    const TextRect rect{10, 6, 60, 62};

    drawn(*sans, "H", rect, TextFormat::Left | TextFormat::Top);
    const Box topLeft = ink();
    EXPECT_EQ(topLeft.left, 10 + 2);
    EXPECT_EQ(topLeft.bottom, 6 + 26);

    drawn(*sans, "H", rect, TextFormat::Right | TextFormat::Bottom);
    const Box bottomRight = ink();
    EXPECT_EQ(bottomRight.left, topLeft.left + (60 - 10 - 20));
    EXPECT_EQ(bottomRight.top, topLeft.top + (62 - 6 - 32));
    EXPECT_EQ(bottomRight.right - bottomRight.left, topLeft.right - topLeft.left);
}

TEST_F(FontTest, KernsThePairsTheFontKerns)
{
    auto sans = font(32);
    drawn(*sans, "AV", {0, 0, Size, Size}, TextFormat::Left);
    EXPECT_EQ(ink().right, 18 - 2 + 19);
}

TEST_F(FontTest, CentresSeveralLinesAsOneBlockOneCellApart)
{
    auto sans = font(16);
    const std::vector<Color> oneLine = drawn(*sans, "H", Middle, CentredNoClip);
    EXPECT_EQ(drawn(*sans, "\nH\n", Middle, CentredNoClip), oneLine)
        << "the middle of three lines lies where a single line does";

    drawn(*sans, "H\nH", Middle, CentredNoClip);
    const Box both = ink();
    const Box single = inkBox(oneLine, Size, Black);
    EXPECT_EQ(both.bottom - both.top, 16 + single.bottom - single.top);
    EXPECT_NEAR(both.centreY(), 32.0, 1.0);
    EXPECT_EQ(sans->drawText("H\nH\nH", -1, Middle, CentredNoClip, White), 48);
}

TEST_F(FontTest, ClipsToTheRectangleUnlessToldNotTo)
{
    auto sans = font(32);
    const TextRect rect{26, 20, 40, 36}; // cuts through the middle "H" on every side
    const std::vector<Color> unclipped = drawn(*sans, "HHH", rect, CentredNoClip);
    const std::vector<Color> clipped = drawn(*sans, "HHH", rect, TextFormat::Center | TextFormat::VCenter);

    const Box spill = inkBox(unclipped, Size, Black);
    ASSERT_TRUE(spill.left < rect.left && spill.top < rect.top && spill.right > rect.right &&
                spill.bottom > rect.bottom);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            const std::size_t i = static_cast<std::size_t>(y * Size + x);
            ASSERT_EQ(clipped[i], inside ? unclipped[i] : Black) << x << ", " << y;
        }
}

TEST_F(FontTest, WhiteTextIsFullWhiteInsideItsStrokesAndGreyAtTheirEdges)
{
    auto sans = font(32);
    int cores = 0, edges = 0;
    for (Color pixel : drawn(*sans, "Orb", Middle, CentredNoClip)) {
        const Color red = pixel >> 16 & 0xFF, green = pixel >> 8 & 0xFF, blue = pixel & 0xFF;
        ASSERT_TRUE(red == green && green == blue) << std::hex << pixel;
        cores += pixel == White;
        edges += red > 0 && red < 0xFF;
    }
    EXPECT_GT(cores, 50);
    EXPECT_GT(edges, 20);
}

TEST_F(FontTest, BlendsWithTheColoursAlpha)
{
    // Half-alpha red over opaque blue: red 128, blue 255 x (1 - 128/255); alpha blends as colour.
    auto sans = font(32);
    clear(gfx::test::Blue);
    sans->drawText("H", -1, Middle, CentredNoClip, gfx::argb(0x80, 0xFF, 0, 0));
    const std::vector<Color> pixels = frame();
    const std::size_t cores = std::count_if(pixels.begin(), pixels.end(), [](Color pixel) {
        return gfx::test::near(pixel, gfx::argb(0xBF, 0x80, 0x00, 0x7F));
    });
    EXPECT_GT(cores, 50);
    for (Color pixel : pixels)
        ASSERT_TRUE((pixel >> 16 & 0xFF) <= 0x81 && (pixel >> 8 & 0xFF) == 0 && (pixel & 0xFF) >= 0x7E)
            << std::hex << pixel;
}

TEST_F(FontTest, CentresTheDemosTitleOnPixel512OfATransparentTarget)
{
    // As the demo draws it: into a 1024 x 1024 texture, larger than the back buffer and its
    // depth-stencil surface.
    auto target =
        device_->createTexture(1024, 1024, 1, gfx::Usage::RenderTarget, gfx::Format::A8R8G8B8, nullptr);
    ASSERT_NE(target, nullptr);
    device_->setRenderTarget(0, target->surfaceLevel(0));
    device_->clear(gfx::ClearFlag::Target, 0, 1.0f, 0);
    font(96)->drawText("ORB", -1, {512, 512, 512, 512}, CentredNoClip, White);

    const std::vector<Color> pixels = device_->readPixels(target->surfaceLevel(0));
    const Box box = inkBox(pixels, 1024, 0);
    EXPECT_NEAR(box.centreX(), 512.0, 1.0);
    EXPECT_NEAR(box.centreY(), 512.0, 1.5);
    EXPECT_GT(std::count(pixels.begin(), pixels.end(), White), 1000);
}

TEST_F(FontTest, DrawsWindows1252BytesAsTheirUnicodeCharacters)
{
    auto sans = font(32);
    const ReferenceFont reference(DejaVuSans, 32);
    const std::pair<const char*, char32_t> characters[] = {{"\xE9", U'\u00E9'},
                                                           {"\x80", U'\u20AC'},
                                                           {"\x92", U'\u2019'},
                                                           {"\x9F", U'\u0178'},
                                                           {"\xFF", U'\u00FF'}};
    for (const auto& [text, codePoint] : characters) {
        const Coverage ink = inkCoverage(drawn(*sans, text, Middle, CentredNoClip), Size);
        EXPECT_EQ(ink, reference.glyph(codePoint)) << std::hex << static_cast<unsigned>(codePoint);
        EXPECT_NE(ink, reference.glyph(U'e'));
    }
    EXPECT_EQ(drawn(*sans, "A\x81\x8D\x8F\x90\x9D", Middle, CentredNoClip),
              drawn(*sans, "A", Middle, CentredNoClip))
        << "bytes Windows-1252 leaves undefined draw nothing and take no room";
}

TEST_F(FontTest, DrawsCountBytesOrUpToTheTerminatingZero)
{
    auto sans = font(32);
    const std::vector<Color> he = drawn(*sans, "HE", Middle, CentredNoClip);
    clear(Black);
    EXPECT_EQ(sans->drawText("HELLO", 2, Middle, CentredNoClip, White), 32);
    EXPECT_EQ(frame(), he);
    EXPECT_NE(drawn(*sans, "HELLO", Middle, CentredNoClip), he);

    clear(Black);
    EXPECT_EQ(sans->drawText("HELLO", 0, Middle, CentredNoClip, White), 0);
    EXPECT_EQ(sans->drawText("", -1, Middle, CentredNoClip, White), 0);
    EXPECT_EQ(sans->drawText(nullptr, -1, Middle, CentredNoClip, White), 0);
    EXPECT_TRUE(ink().empty());
}

TEST_F(FontTest, RestoresEveryStateItChanges)
{
    using namespace gfx;
    auto sans = font(32);
    auto texture = test::makeTexture(*device_, 1, 1, {test::Red});
    device_->setRenderState(RenderState::AlphaBlendEnable, 0);
    device_->setRenderState(RenderState::SrcBlend, Blend::One);
    device_->setRenderState(RenderState::BlendOp, BlendOp::Subtract);
    device_->setRenderState(RenderState::CullMode, Cull::Clockwise);
    device_->setSamplerState(0, SamplerState::MagFilter, TextureFilter::Linear);
    device_->setSamplerState(0, SamplerState::AddressU, TextureAddress::Wrap);
    device_->setTexture(0, texture.get());
    device_->setFvf(Fvf::Xyz | Fvf::Diffuse);

    sans->drawText("H", -1, Middle, CentredNoClip, White);

    EXPECT_EQ(device_->renderState(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(device_->renderState(RenderState::SrcBlend), Blend::One);
    EXPECT_EQ(device_->renderState(RenderState::BlendOp), BlendOp::Subtract);
    EXPECT_EQ(device_->renderState(RenderState::CullMode), Cull::Clockwise);
    EXPECT_EQ(device_->samplerState(0, SamplerState::MagFilter), TextureFilter::Linear);
    EXPECT_EQ(device_->samplerState(0, SamplerState::AddressU), TextureAddress::Wrap);
    EXPECT_EQ(device_->texture(0), texture.get());
    EXPECT_EQ(device_->fvf(), Fvf::Xyz | Fvf::Diffuse);
    EXPECT_EQ(device_->depthStencilSurface(), device_->autoDepthStencil());

    // The fixed stages draw again: the red texel, opaque, where the text was.
    device_->setRenderState(RenderState::CullMode, Cull::None);
    test::drawRectangle(*device_, 0, 0, Size, Size);
    EXPECT_EQ(frame(), std::vector<Color>(Size * Size, test::Red));
}

} // namespace
} // namespace orb::fx
