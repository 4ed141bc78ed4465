// Primitive assembly: which triangles each glBegin mode makes, in the order
// Mesa's rasteriser takes them, and that every one keeps the winding.
#include "gles/Primitives.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace gles {
namespace {

using Triangle = std::array<std::size_t, 3>;

std::vector<Triangle> CollectTriangles(unsigned mode, std::size_t count, QuadSplit split = QuadSplit::AlongV1V3)
{
    std::vector<Triangle> out;
    ForEachTriangle(mode, count, split, [&](std::size_t a, std::size_t b, std::size_t c) { out.push_back({a, b, c}); });
    return out;
}

// The diagonal decides a Gouraud quad's colours; each split keeps the last
// vertex, whose colour a flat quad takes, last in the triangles it ends.
TEST(Primitives, QuadsSplitAlongEitherDiagonal)
{
    EXPECT_EQ(CollectTriangles(glenum::Quads, 4), (std::vector<Triangle>{{0, 1, 3}, {1, 2, 3}}));
    EXPECT_EQ(CollectTriangles(glenum::Quads, 9), (std::vector<Triangle>{{0, 1, 3}, {1, 2, 3}, {4, 5, 7}, {5, 6, 7}}));
    EXPECT_EQ(CollectTriangles(glenum::Quads, 8, QuadSplit::AlongV0V2),
              (std::vector<Triangle>{{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}}));
}

// A fan from the first vertex, which comes last in each triangle so that it
// is also the one flat shading takes.
TEST(Primitives, PolygonIsAFanFromTheFirstVertex)
{
    EXPECT_EQ(CollectTriangles(glenum::Polygon, 5), (std::vector<Triangle>{{1, 2, 0}, {2, 3, 0}, {3, 4, 0}}));
    EXPECT_TRUE(CollectTriangles(glenum::Polygon, 2).empty());
}

TEST(Primitives, StripsAndFansEndOnTheirProvokingVertex)
{
    EXPECT_EQ(CollectTriangles(glenum::TriangleStrip, 5), (std::vector<Triangle>{{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}));
    EXPECT_EQ(CollectTriangles(glenum::TriangleFan, 4), (std::vector<Triangle>{{0, 1, 2}, {0, 2, 3}}));
    EXPECT_EQ(CollectTriangles(glenum::QuadStrip, 6),
              (std::vector<Triangle>{{0, 1, 3}, {2, 0, 3}, {2, 3, 5}, {4, 2, 5}}));
    EXPECT_EQ(CollectTriangles(glenum::Triangles, 7), (std::vector<Triangle>{{0, 1, 2}, {3, 4, 5}}));
}

// Vertices round a counter-clockwise circle, or zig-zagging left to right
// from top to bottom for the strips: every triangle of every mode stays
// counter-clockwise, so culling sees the faces GL would.
TEST(Primitives, EveryModeKeepsTheWinding)
{
    for (unsigned mode : {glenum::Triangles, glenum::TriangleStrip, glenum::TriangleFan, glenum::Quads,
                          glenum::QuadStrip, glenum::Polygon}) {
        const bool strip = mode == glenum::TriangleStrip || mode == glenum::QuadStrip;
        const std::size_t count = 8;
        std::vector<std::array<double, 2>> p(count);
        for (std::size_t k = 0; k < count; ++k) {
            const double a = 2 * 3.14159265358979 * static_cast<double>(k) / count;
            const double shift = mode == glenum::TriangleStrip && k % 2 ? 0.5 : 0.0;
            p[k] = strip ? std::array<double, 2>{static_cast<double>(k / 2) + shift, k % 2 ? 0.0 : 1.0}
                         : std::array<double, 2>{std::cos(a), std::sin(a)};
        }
        for (const QuadSplit split : {QuadSplit::AlongV1V3, QuadSplit::AlongV0V2})
            for (const auto& t : CollectTriangles(mode, count, split)) {
                const auto &a = p[t[0]], &b = p[t[1]], &c = p[t[2]];
                const double area = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
                EXPECT_GT(area, 0) << "mode " << mode << " triangle " << t[0] << t[1] << t[2];
            }
    }
}

} // namespace
} // namespace gles
