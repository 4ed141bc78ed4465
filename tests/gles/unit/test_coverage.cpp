// Which pieces Mesa's store may draw together: a wrong "disjoint" lets a
// fragment read the picture from before a piece it lies under.
#include "gles/Coverage.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace gles {
namespace {

const std::array<int, 4> Screen{0, 0, 640, 480};

// A quad as two triangles, split along v1-v3, corners in window pixels at
// depth z (identity transform: window = (ndc + 1) * size / 2).
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z = 0)
{
    const auto v = [&](float x, float y) { return Vertex{{x / 320 - 1, y / 240 - 1, z}, {}, {}, {}, {}}; };
    return {v(x0, y0), v(x1, y0), v(x0, y1), v(x1, y0), v(x1, y1), v(x0, y1)};
}

bool Disjoint(const std::vector<Vertex>& a, const std::vector<Vertex>& b, const Matrix& mvp = MakeIdentityMatrix())
{
    std::vector<Corner> corners;
    const PieceCoverage pa = MeasurePiece(mvp, Screen, a.data(), a.size(), corners);
    const PieceCoverage pb = MeasurePiece(mvp, Screen, b.data(), b.size(), corners);
    return AreDisjoint(pa, pb, corners) && AreDisjoint(pb, pa, corners);
}

TEST(Coverage, QuadsSharingAnEdgeAreDisjoint)
{
    EXPECT_TRUE(Disjoint(Quad(100, 100, 200, 200), Quad(200, 100, 300, 200)));
    EXPECT_TRUE(Disjoint(Quad(100, 100, 200, 200), Quad(100, 200, 200, 300)));
}

TEST(Coverage, QuadsOverlappingByAPixelOrLessAreNot)
{
    EXPECT_FALSE(Disjoint(Quad(100, 100, 201, 200), Quad(200, 100, 300, 200)));
    // A shared line but not the same vertices: rounding may move either side.
    EXPECT_FALSE(Disjoint(Quad(100, 100, 200.001f, 200), Quad(200, 100, 300, 200)));
    EXPECT_FALSE(Disjoint(Quad(100, 100, 200, 200), Quad(200, 150, 300, 250)));
    // Touching at a corner alone: the line through it is an edge of neither.
    EXPECT_FALSE(Disjoint(Quad(100, 100, 200, 200), Quad(200, 200, 300, 300)));
    // A gap narrower than the rasteriser's rounding.
    EXPECT_FALSE(Disjoint(Quad(100, 100, 200, 200), Quad(200.01f, 100, 300, 200)));
    // Crossing, though no vertex of one lies inside the other.
    EXPECT_FALSE(Disjoint(Quad(150, 50, 170, 300), Quad(50, 150, 300, 170)));
}

TEST(Coverage, QuadsApartAreDisjoint)
{
    EXPECT_TRUE(Disjoint(Quad(100, 100, 200, 200), Quad(201, 100, 300, 200)));
    // Apart along a slanted line, their boxes overlapping.
    const std::vector<Vertex> a{Vertex{{-0.5f, -0.5f, 0}}, Vertex{{0.5f, -0.5f, 0}}, Vertex{{-0.5f, 0.5f, 0}}};
    const std::vector<Vertex> b{Vertex{{0.5f, 0.52f, 0}}, Vertex{{-0.48f, 0.52f, 0}}, Vertex{{0.5f, -0.48f, 0}}};
    EXPECT_TRUE(Disjoint(a, b));
}

TEST(Coverage, PiecesReachingBehindTheEyeAreNeverExact)
{
    // A perspective: w = -z.
    Matrix m{};
    m[0] = m[5] = 1;
    m[10] = -1;
    m[11] = -1;
    m[14] = -0.2f;
    const auto at = [](float x, float y, float z) { return Vertex{{x, y, z}, {}, {}, {}, {}}; };
    // Apart in front of the eye, but one reaches behind it.
    const std::vector<Vertex> behind{at(-1, -1, -1), at(-0.1f, -1, -1), at(-0.5f, 1, 1)};
    const std::vector<Vertex> front{at(0.1f, -0.5f, -1), at(1, -0.5f, -1), at(0.5f, 0.5f, -1)};
    std::vector<Corner> corners;
    const PieceCoverage p = MeasurePiece(m, Screen, behind.data(), behind.size(), corners);
    EXPECT_FALSE(p.exact);
    EXPECT_EQ(corners.size(), 0u);
    const PieceCoverage q = MeasurePiece(m, Screen, front.data(), front.size(), corners);
    EXPECT_TRUE(q.exact);
    EXPECT_EQ(corners.size(), 3u);
}

TEST(Coverage, BoxHoldsTheVisiblePartOnly)
{
    std::vector<Corner> corners;
    const auto quad = Quad(100, 100, 200, 200);
    const PieceCoverage p = MeasurePiece(MakeIdentityMatrix(), Screen, quad.data(), quad.size(), corners);
    // A pixel to spare each side, and no more than two.
    EXPECT_TRUE(p.box[0] <= 99 && p.box[1] <= 99 && p.box[2] >= 201 && p.box[3] >= 201);
    EXPECT_TRUE(p.box[0] >= 98 && p.box[1] >= 98 && p.box[2] <= 202 && p.box[3] <= 202);
    EXPECT_TRUE(p.exact);
    EXPECT_EQ(p.count, 6u);
    // Beyond the far plane: nothing to copy.
    const auto far = Quad(100, 100, 200, 200, 2);
    const PieceCoverage f = MeasurePiece(MakeIdentityMatrix(), Screen, far.data(), far.size(), corners);
    EXPECT_GE(f.box[0], f.box[2]);
}

} // namespace
} // namespace gles
