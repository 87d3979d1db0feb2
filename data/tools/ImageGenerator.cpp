// orb-imagegen -- draws the production's images: the loading screen's background, bar and cap,
// the title and end screens, the invitation's overlay and the main logo of Tevro, a fictional
// demoscene gathering.
//
//   orb-imagegen FONT.ttf OUTPUT_DIRECTORY
//
// The same font file always gives the same PNG files.

#include <ft2build.h>
#include FT_FREETYPE_H
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <stb/stb_image_write.h>
#include <string>
#include <vector>

namespace {

struct Color
{
    float r, g, b;
};

constexpr Color Orange = {1.0f, 150.0f / 255.0f, 0.0f};
constexpr Color Grey = {127.0f / 255.0f, 127.0f / 255.0f, 127.0f / 255.0f};

// Straight (not premultiplied) RGBA, 0 to 1.
class Canvas
{
public:
    Canvas(int width, int height)
        : width_(width), height_(height), pixels_(std::size_t(width) * height * 4, 0.0f)
    {}

    int width() const { return width_; }
    int height() const { return height_; }

    // Lays `color` over the pixel with the given coverage (0 to 1).
    void blend(int x, int y, Color color, float coverage)
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0.0f)
            return;
        float* p = &pixels_[(std::size_t(y) * width_ + x) * 4];
        const float alpha = coverage + p[3] * (1.0f - coverage);
        const float keep = p[3] * (1.0f - coverage);
        p[0] = (color.r * coverage + p[0] * keep) / alpha;
        p[1] = (color.g * coverage + p[1] * keep) / alpha;
        p[2] = (color.b * coverage + p[2] * keep) / alpha;
        p[3] = alpha;
    }

    void fill(int left, int top, int right, int bottom, Color color, float coverage = 1.0f)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                blend(x, y, color, coverage);
    }

    bool save(const std::string& path) const
    {
        std::vector<unsigned char> bytes(pixels_.size());
        std::transform(pixels_.begin(), pixels_.end(), bytes.begin(), [](float v) {
            return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
        });
        return stbi_write_png(path.c_str(), width_, height_, 4, bytes.data(), width_ * 4) != 0;
    }

private:
    int width_;
    int height_;
    std::vector<float> pixels_;
};

// A coverage mask, for text and its glow.
struct Mask
{
    int width, height;
    std::vector<float> coverage;

    Mask(int w, int h) : width(w), height(h), coverage(std::size_t(w) * h, 0.0f) {}
    float& at(int x, int y) { return coverage[std::size_t(y) * width + x]; }
};

class Typeface
{
public:
    explicit Typeface(const char* path)
    {
        ok_ = FT_Init_FreeType(&library_) == 0 && FT_New_Face(library_, path, 0, &face_) == 0;
    }
    ~Typeface()
    {
        if (face_ != nullptr)
            FT_Done_Face(face_);
        if (library_ != nullptr)
            FT_Done_FreeType(library_);
    }
    bool ok() const { return ok_; }

    // From the first letter's pen position to the last one's advance.
    int width(const std::string& text, int pixels, int tracking = 0) const
    {
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixels));
        return advance(text) + tracking * static_cast<int>(text.size() - 1);
    }

    // Renders `text` centred on x with its baseline at y into the mask; letters spread by `tracking`.
    void centred(Mask& mask, const std::string& text, int pixels, int x, int y, int tracking = 0) const
    {
        int pen = x - width(text, pixels, tracking) / 2;
        for (unsigned char c : text) {
            if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0)
                continue;
            const FT_GlyphSlot glyph = face_->glyph;
            for (unsigned row = 0; row < glyph->bitmap.rows; ++row)
                for (unsigned column = 0; column < glyph->bitmap.width; ++column) {
                    const int px = pen + glyph->bitmap_left + static_cast<int>(column);
                    const int py = y - glyph->bitmap_top + static_cast<int>(row);
                    if (px >= 0 && py >= 0 && px < mask.width && py < mask.height)
                        mask.at(px, py) =
                            std::max(mask.at(px, py),
                                     glyph->bitmap.buffer[row * glyph->bitmap.pitch + column] / 255.0f);
                }
            pen += static_cast<int>(glyph->advance.x >> 6) + tracking;
        }
    }

private:
    int advance(const std::string& text) const
    {
        int width = 0;
        for (unsigned char c : text)
            if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0)
                width += static_cast<int>(face_->glyph->advance.x >> 6);
        return width;
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    bool ok_ = false;
};

// A soft copy of the mask: three box blurs of the given radius approach a Gaussian.
Mask blurred(const Mask& mask, int radius)
{
    Mask result = mask;
    for (int pass = 0; pass < 3; ++pass)
        for (int axis = 0; axis < 2; ++axis) {
            Mask source = result;
            const int length = axis == 0 ? mask.width : mask.height;
            const int lines = axis == 0 ? mask.height : mask.width;
            for (int line = 0; line < lines; ++line) {
                float sum = 0.0f;
                const auto value = [&](int i) {
                    i = std::clamp(i, 0, length - 1);
                    return axis == 0 ? source.at(i, line) : source.at(line, i);
                };
                for (int i = -radius; i <= radius; ++i)
                    sum += value(i);
                for (int i = 0; i < length; ++i) {
                    (axis == 0 ? result.at(i, line) : result.at(line, i)) = sum / float(2 * radius + 1);
                    sum += value(i + radius + 1) - value(i - radius);
                }
            }
        }
    return result;
}

// The mask grown by `radius` pixels all round: the largest coverage within a disc, the disc's
// rim weighted by how far it reaches, so that the grown edge stays smooth.
Mask thickened(const Mask& mask, float radius)
{
    const int reach = static_cast<int>(std::ceil(radius));
    struct Tap
    {
        int dx, dy;
        float weight;
    };
    std::vector<Tap> disc;
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const float weight = std::clamp(radius + 0.5f - std::hypot(float(dx), float(dy)), 0.0f, 1.0f);
            if (weight > 0.0f)
                disc.push_back({dx, dy, weight});
        }
    // Spread from covered pixels only: most of a canvas is empty.
    Mask result(mask.width, mask.height);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            const float coverage = mask.coverage[std::size_t(y) * mask.width + x];
            if (coverage <= 0.0f)
                continue;
            for (const Tap& tap : disc) {
                const int tx = x + tap.dx, ty = y + tap.dy;
                if (tx >= 0 && ty >= 0 && tx < mask.width && ty < mask.height)
                    result.at(tx, ty) = std::max(result.at(tx, ty), coverage * tap.weight);
            }
        }
    return result;
}

void paint(Canvas& canvas, const Mask& mask, Color color, float strength = 1.0f)
{
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            canvas.blend(x, y, color,
                         std::min(1.0f, mask.coverage[std::size_t(y) * mask.width + x] * strength));
}

// Orange words with a faint orange glow behind them.
void glowingWords(Canvas& canvas, const Typeface& face, const std::string& text, int pixels, int y,
                  int tracking)
{
    Mask words(canvas.width(), canvas.height());
    face.centred(words, text, pixels, canvas.width() / 2, y, tracking);
    paint(canvas, blurred(words, 14), Orange, 0.6f);
    paint(canvas, words, Orange);
}

void greyWords(Canvas& canvas, const Typeface& face, const std::string& text, int pixels, int y,
               int tracking = 0)
{
    Mask words(canvas.width(), canvas.height());
    face.centred(words, text, pixels, canvas.width() / 2, y, tracking);
    paint(canvas, words, Grey);
}

// 16:9, transparent where nothing is drawn: the black behind the quad shows through.
Canvas titleScreen(const Typeface& face)
{
    Canvas canvas(1280, 720);
    glowingWords(canvas, face, "TEVRO", 250, 420, 18);
    canvas.fill(330, 452, 950, 456, Orange);
    greyWords(canvas, face, "a demoscene gathering", 46, 520, 2);
    greyWords(canvas, face, "this is your invitation", 30, 580, 1);
    return canvas;
}

Canvas endScreen(const Typeface& face)
{
    Canvas canvas(1280, 720);
    greyWords(canvas, face, "see you at", 50, 250, 2);
    glowingWords(canvas, face, "TEVRO", 230, 470, 16);
    canvas.fill(380, 500, 900, 504, Orange);
    greyWords(canvas, face, "bring a demo, bring your friends", 34, 570, 1);
    return canvas;
}

// The loading background: the name above a groove where the bar grows (rows 348 to 380, the
// bar's place on a 16:9 display), "loading" below. Opaque.
Canvas loaderBackground(const Typeface& face)
{
    Canvas canvas(1280, 720);
    canvas.fill(0, 0, 1280, 720, {0.0f, 0.0f, 0.0f});
    glowingWords(canvas, face, "TEVRO", 120, 300, 8);
    const Color edge = {0.35f, 0.35f, 0.35f}, groove = {0.1f, 0.1f, 0.1f};
    canvas.fill(48, 346, 1232, 382, edge);
    canvas.fill(50, 348, 1230, 380, groove);
    greyWords(canvas, face, "loading", 30, 430, 3);
    return canvas;
}

// The bar: one pixel wide, 23 high, orange with a lighter top edge.
Canvas loaderBar()
{
    Canvas canvas(1, 23);
    for (int y = 0; y < 23; ++y) {
        const float light = 1.0f - std::abs(y - 6) / 17.0f;
        canvas.blend(0, y, {1.0f, (150.0f + 80.0f * light) / 255.0f, 60.0f * light / 255.0f}, 1.0f);
    }
    return canvas;
}

// The cap at the bar's moving end: a bright sliver, fading at its sides.
Canvas loaderCap()
{
    Canvas canvas(5, 23);
    const std::array<float, 5> across = {0.45f, 0.85f, 1.0f, 0.85f, 0.45f};
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 5; ++x)
            canvas.blend(x, y, {1.0f, 0.95f, 0.8f}, across[std::size_t(x)]);
    return canvas;
}

// Over the invitation pages: a thin grey frame with orange corners, the name small and glowing at
// the lower left, where the pages (right of and above the middle) leave room. Transparent inside.
Canvas invitationOverlay(const Typeface& face)
{
    Canvas canvas(1280, 720);
    const int inset = 28, line = 2, corner = 90, thick = 6;
    canvas.fill(inset, inset, 1280 - inset, inset + line, Grey, 0.8f);
    canvas.fill(inset, 720 - inset - line, 1280 - inset, 720 - inset, Grey, 0.8f);
    canvas.fill(inset, inset, inset + line, 720 - inset, Grey, 0.8f);
    canvas.fill(1280 - inset - line, inset, 1280 - inset, 720 - inset, Grey, 0.8f);
    // Each corner: an arm along the edge and one down (or up) the side.
    for (const int x : {inset - thick / 2, 1280 - inset - corner + thick / 2})
        for (const int y : {inset - thick / 2, 720 - inset - thick / 2})
            canvas.fill(x, y, x + corner, y + thick, Orange);
    for (const int x : {inset - thick / 2, 1280 - inset - thick / 2})
        for (const int y : {inset - thick / 2, 720 - inset - corner + thick / 2})
            canvas.fill(x, y, x + thick, y + corner, Orange);
    Mask logo(1280, 720);
    face.centred(logo, "TEVRO", 64, 230, 640, 4);
    paint(canvas, blurred(logo, 8), Orange, 0.5f);
    paint(canvas, logo, Orange);
    Mask caption(1280, 720);
    face.centred(caption, "invitation", 24, 230, 672, 2);
    paint(canvas, caption, Grey);
    return canvas;
}

// The event's main logo, over a moving background: the name in heavy orange letters edged in grey
// on a soft orange glow, the year between two grey rules below. Transparent around it.
Canvas mainLogo(const Typeface& face)
{
    Canvas canvas(1280, 720);
    // The only face is an italic of regular weight: grown letters read bold.
    Mask name(1280, 720);
    face.centred(name, "TEVRO", 236, 640, 400, 16);
    const Mask bold = thickened(name, 5.0f);
    const Mask edge = thickened(bold, 6.0f);
    paint(canvas, blurred(edge, 22), Orange, 0.9f);
    paint(canvas, edge, Grey);
    paint(canvas, bold, Orange);

    Mask year(1280, 720);
    const int yearPixels = 54, yearTracking = 20, yearBaseline = 498;
    face.centred(year, "2027", yearPixels, 640, yearBaseline, yearTracking);
    paint(canvas, thickened(year, 1.0f), Grey);
    const int halfYear = face.width("2027", yearPixels, yearTracking) / 2;
    // The rules run level with the middle of the digits.
    const int gap = 36, rule = 170, ruleY = yearBaseline - yearPixels * 3 / 8;
    canvas.fill(640 - halfYear - gap - rule, ruleY - 2, 640 - halfYear - gap, ruleY + 2, Grey);
    canvas.fill(640 + halfYear + gap, ruleY - 2, 640 + halfYear + gap + rule, ruleY + 2, Grey);
    return canvas;
}

// The launcher's icon, `size` pixels square: the logo's T in heavy orange edged in grey, on its
// glow, over a dark rounded square.
Canvas icon(const Typeface& face, int size)
{
    Canvas canvas(size, size);
    const float radius = static_cast<float>(size) * 0.18f, half = static_cast<float>(size) / 2.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Distance outside the rounded square, its edge smoothed over one pixel.
            const float dx = std::max(std::abs(static_cast<float>(x) + 0.5f - half) - (half - radius), 0.0f);
            const float dy = std::max(std::abs(static_cast<float>(y) + 0.5f - half) - (half - radius), 0.0f);
            const float outside = std::hypot(dx, dy) - radius;
            canvas.blend(x, y, {0.06f, 0.06f, 0.06f}, std::clamp(0.5f - outside, 0.0f, 1.0f));
        }
    Mask letter(size, size);
    face.centred(letter, "T", size * 3 / 4, size / 2, size * 3 / 4 + size / 20);
    const Mask bold = thickened(letter, static_cast<float>(size) / 60.0f);
    const Mask edge = thickened(bold, static_cast<float>(size) / 50.0f);
    paint(canvas, blurred(edge, std::max(size / 14, 1)), Orange, 0.9f);
    paint(canvas, edge, Grey);
    paint(canvas, bold, Orange);
    return canvas;
}

bool drawProduction(const Typeface& face, const std::string& directory)
{
    return titleScreen(face).save(directory + "/tevro_logoscreen.png") &&
           endScreen(face).save(directory + "/tevro_endscreen.png") &&
           loaderBackground(face).save(directory + "/tevro_loader_empty.png") &&
           loaderBar().save(directory + "/tevro_loader_1px.png") &&
           loaderCap().save(directory + "/tevro_loader_chrome.png") &&
           invitationOverlay(face).save(directory + "/tevro_overlay1.png") &&
           mainLogo(face).save(directory + "/tevro_mainlogo.png");
}

bool drawIcons(const Typeface& face, const std::string& directory)
{
    return icon(face, 256).save(directory + "/tevro-256.png") &&
           icon(face, 48).save(directory + "/tevro-48.png");
}

} // namespace

int main(int argc, char** argv)
{
    const bool icons = argc == 4 && std::string(argv[1]) == "--icons";
    if (argc != 3 && !icons) {
        std::fprintf(stderr, "usage: orb-imagegen FONT.ttf OUTPUT_DIRECTORY\n"
                             "       orb-imagegen --icons FONT.ttf OUTPUT_DIRECTORY\n");
        return 2;
    }
    const char* const font = argv[icons ? 2 : 1];
    const Typeface face(font);
    if (!face.ok()) {
        std::fprintf(stderr, "orb-imagegen: cannot open the font %s\n", font);
        return 1;
    }
    const std::string directory = argv[icons ? 3 : 2];
    if (!(icons ? drawIcons(face, directory) : drawProduction(face, directory))) {
        std::fprintf(stderr, "orb-imagegen: cannot write into %s\n", directory.c_str());
        return 1;
    }
    return 0;
}
