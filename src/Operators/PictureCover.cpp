#include "Operators/PictureCover.h"

#include <algorithm>

namespace orb {

namespace {

constexpr int Tile = 8; // texels a side
// Bilinear filtering of mipmap level n reads up to 2^n texels of level 0 beyond a pixel's own, and
// trilinear filtering the level after it too: four tiles keep a picture exact down to an eighth of
// its size on screen.
constexpr int ReachInTiles = 4;
// A rectangle meeting the texture's edge runs on to the quad's side: clamped addressing repeats
// the edge's texels there.
constexpr float Beyond = 1.0e4f;

struct Span
{
    int firstColumn, endColumn, firstRow, endRow;
};

// The tiles holding a texel that is not wholly transparent, widened by the filter's reach.
std::vector<bool> shownTiles(const std::vector<gfx::Color>& texels, int width, int height, int columns,
                             int rows)
{
    std::vector<bool> holding(static_cast<std::size_t>(columns * rows));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (texels[static_cast<std::size_t>(y * width + x)] >> 24 != 0)
                holding[static_cast<std::size_t>(y / Tile * columns + x / Tile)] = true;
    std::vector<bool> shown(holding.size());
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            if (!holding[static_cast<std::size_t>(row * columns + column)])
                continue;
            for (int r = std::max(row - ReachInTiles, 0); r <= std::min(row + ReachInTiles, rows - 1); ++r)
                for (int c = std::max(column - ReachInTiles, 0);
                     c <= std::min(column + ReachInTiles, columns - 1); ++c)
                    shown[static_cast<std::size_t>(r * columns + c)] = true;
        }
    return shown;
}

// Runs of shown tiles along each row, a run merged with the same run of the row above.
std::vector<Span> spansOf(const std::vector<bool>& shown, int columns, int rows)
{
    std::vector<Span> runs;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns;) {
            if (!shown[static_cast<std::size_t>(row * columns + column)]) {
                ++column;
                continue;
            }
            int end = column;
            while (end < columns && shown[static_cast<std::size_t>(row * columns + end)])
                ++end;
            const auto above = std::find_if(runs.begin(), runs.end(), [&](const Span& run) {
                return run.endRow == row && run.firstColumn == column && run.endColumn == end;
            });
            if (above != runs.end())
                above->endRow = row + 1;
            else
                runs.push_back({column, end, row, row + 1});
            column = end;
        }
    return runs;
}

// A texture coordinate of a tile edge, run on beyond the texture where the edge is the texture's.
float edge(int tiles, int count, int texels)
{
    if (tiles == 0)
        return -Beyond;
    if (tiles == count)
        return 1.0f + Beyond;
    return static_cast<float>(tiles * Tile) / static_cast<float>(texels);
}

// The columns along row line `row` between `first` and `end` where a span touching it begins or ends.
std::vector<int> breaksAlong(const std::vector<Span>& spans, int row, int first, int end)
{
    std::vector<int> columns{first, end};
    for (const Span& span : spans)
        if (span.firstRow == row || span.endRow == row)
            for (const int column : {span.firstColumn, span.endColumn})
                if (column > first && column < end)
                    columns.push_back(column);
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    return columns;
}

// The point of the quad at (s, t), each 0 to 1 from its bottom left; exact at the corners.
QuadVertex pointOf(const Quad& quad, float s, float t)
{
    const float weights[4] = {(1 - s) * (1 - t), s * (1 - t), (1 - s) * t, s * t};
    QuadVertex point{0, 0, 0, quad[0].diffuse, 0, 0};
    for (std::size_t corner = 0; corner < 4; ++corner) {
        point.x += weights[corner] * quad[corner].x;
        point.y += weights[corner] * quad[corner].y;
        point.z += weights[corner] * quad[corner].z;
        point.u += weights[corner] * quad[corner].u;
        point.v += weights[corner] * quad[corner].v;
    }
    return point;
}

} // namespace

PictureCover::PictureCover() : rectangles_{{0, 1, 0, 1, {0, 1}, {0, 1}}} {}

PictureCover PictureCover::of(const std::vector<gfx::Color>& texels, int width, int height)
{
    PictureCover cover;
    if (width <= 0 || height <= 0 ||
        texels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return cover;
    cover.width_ = width;
    cover.height_ = height;
    cover.columns_ = (width + Tile - 1) / Tile;
    cover.rows_ = (height + Tile - 1) / Tile;
    const std::vector<Span> spans =
        spansOf(shownTiles(texels, width, height, cover.columns_, cover.rows_), cover.columns_, cover.rows_);
    cover.rectangles_.clear();
    for (const Span& span : spans)
        cover.rectangles_.push_back({span.firstColumn, span.endColumn, span.firstRow, span.endRow,
                                     breaksAlong(spans, span.firstRow, span.firstColumn, span.endColumn),
                                     breaksAlong(spans, span.endRow, span.firstColumn, span.endColumn)});
    return cover;
}

float PictureCover::u(int column) const
{
    return edge(column, columns_, width_);
}

float PictureCover::v(int row) const
{
    return edge(row, rows_, height_);
}

// Each rectangle as a band of triangles zipped between the points of its top and bottom sides.
const std::vector<QuadVertex>& PictureCover::triangles(const Quad& quad)
{
    triangles_.clear();
    const float uSpan = quad[1].u - quad[0].u, vSpan = quad[2].v - quad[0].v;
    if (uSpan == 0 || vSpan == 0)
        return triangles_;
    const auto s = [&](int column) { return std::clamp((u(column) - quad[0].u) / uSpan, 0.0f, 1.0f); };
    const auto t = [&](int row) { return std::clamp((v(row) - quad[0].v) / vSpan, 0.0f, 1.0f); };
    for (const Rectangle& rectangle : rectangles_) {
        const float top = t(rectangle.firstRow), bottom = t(rectangle.endRow);
        if (top == bottom || s(rectangle.firstColumn) == s(rectangle.endColumn))
            continue;
        std::size_t i = 0, j = 0;
        const std::vector<int>&above = rectangle.top, &below = rectangle.bottom;
        while (i + 1 < above.size() || j + 1 < below.size()) {
            const bool alongTop =
                j + 1 == below.size() || (i + 1 < above.size() && above[i + 1] <= below[j + 1]);
            if (alongTop) {
                triangles_.push_back(pointOf(quad, s(above[i]), top));
                triangles_.push_back(pointOf(quad, s(above[i + 1]), top));
                triangles_.push_back(pointOf(quad, s(below[j]), bottom));
                ++i;
            } else {
                triangles_.push_back(pointOf(quad, s(below[j]), bottom));
                triangles_.push_back(pointOf(quad, s(below[j + 1]), bottom));
                triangles_.push_back(pointOf(quad, s(above[i]), top));
                ++j;
            }
        }
    }
    return triangles_;
}

float PictureCover::share() const
{
    float area = 0;
    for (const Rectangle& rectangle : rectangles_)
        area += (std::min(u(rectangle.endColumn), 1.0f) - std::max(u(rectangle.firstColumn), 0.0f)) *
                (std::min(v(rectangle.endRow), 1.0f) - std::max(v(rectangle.firstRow), 0.0f));
    return area;
}

} // namespace orb
