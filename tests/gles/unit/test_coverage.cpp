// The rectangle Mesa's store copies before a piece and groups pieces by: it
// must hold every fragment of the piece (or the fragment reads a stale
// picture), and only its visible part (or the copies grow to the screen).
#include "gles/Coverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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

std::array<int, 4> Measure(const Matrix& mvp, const std::vector<Vertex>& piece)
{
    return MeasurePiece(mvp, Screen, piece.data(), piece.size());
}

// Whether box holds [x0, x1] x [y0, y1] (window pixels) with a pixel to
// spare each side and no more than two (give or take the float rounding of
// the two computations), never beyond the screen's edges.
::testing::AssertionResult HoldsWithSpare(const std::array<int, 4>& box, double x0, double y0, double x1, double y1)
{
    const double low[2] = {x0, y0}, high[2] = {x1, y1};
    for (int axis = 0; axis < 2; ++axis) {
        const double from = Screen[static_cast<std::size_t>(axis)], to = Screen[static_cast<std::size_t>(axis + 2)];
        const double lo = box[static_cast<std::size_t>(axis)], hi = box[static_cast<std::size_t>(axis + 2)];
        const double wantLo = std::max(from, low[axis] - 0.99), wantHi = std::min(to, high[axis] + 0.99);
        if (lo > wantLo || hi < wantHi || lo < std::max(from, low[axis] - 2.01) || hi > std::min(to, high[axis] + 2.01))
            return ::testing::AssertionFailure()
                   << "box (" << box[0] << ", " << box[1] << ", " << box[2] << ", " << box[3] << ") for the part ("
                   << x0 << ", " << y0 << ", " << x1 << ", " << y1 << ")";
    }
    return ::testing::AssertionSuccess();
}

TEST(Coverage, BoxHoldsThePieceWithAPixelToSpare)
{
    EXPECT_TRUE(HoldsWithSpare(Measure(MakeIdentityMatrix(), Quad(100, 100, 200, 200)), 100, 100, 200, 200));
    EXPECT_TRUE(
        HoldsWithSpare(Measure(MakeIdentityMatrix(), Quad(100.3f, 99.6f, 200.5f, 250.2f)), 100.3, 99.6, 200.5, 250.2));
    // Cut at the screen's edges.
    EXPECT_TRUE(HoldsWithSpare(Measure(MakeIdentityMatrix(), Quad(-50, 400, 100, 700)), 0, 400, 100, 480));
    // Beyond the far plane, or off the screen: nothing to copy.
    for (const auto& out : {Quad(100, 100, 200, 200, 2), Quad(700, 100, 800, 200)}) {
        const std::array<int, 4> box = Measure(MakeIdentityMatrix(), out);
        EXPECT_TRUE(box[0] >= box[2] || box[1] >= box[3]);
    }
}

// Triangles that cross the near plane: the rasteriser draws only the part
// in front of it, which is not where the corners project (a corner behind
// the eye projects mirrored, one just in front of it far out).
TEST(Coverage, BoxOfAPieceCrossingTheNearPlaneHoldsItsVisiblePartOnly)
{
    // 640 x 480, near plane at 1, far at 100: eye x / -z lands at 320 + 320 x / -z.
    constexpr double Near = 1;
    Matrix frustum = MakeIdentityMatrix();
    MultiplyFrustum(frustum, -1, 1, -0.75, 0.75, Near, 100);
    struct Case {
        const char* what;
        std::array<std::array<float, 3>, 3> eye; // corners in eye coordinates
    };
    const Case cases[] = {
        {"a corner behind the eye", {{{-0.2f, 0, -3}, {0.2f, 0, -3}, {0, 0.3f, 1}}}},
        {"a corner between the eye and the near plane", {{{-0.2f, 0, -3}, {0.2f, 0, -3}, {0, 0.3f, -0.5f}}}},
        {"two corners behind the eye", {{{-0.3f, -0.2f, -4}, {-0.3f, 0.1f, 2}, {0.4f, 0.2f, 3}}}},
        {"a corner on the eye's plane", {{{0.1f, -0.1f, -2}, {0.3f, -0.1f, -2}, {0.2f, 0.5f, 0}}}},
    };
    for (const Case& c : cases) {
        std::vector<Vertex> piece;
        for (const auto& p : c.eye) piece.push_back(Vertex{p, {}, {}, {}, {}});
        // The visible part's corners: those in front of the near plane, and
        // where the edges cross it.
        std::vector<std::array<double, 2>> visible;
        const auto project = [&](double x, double y, double z) {
            visible.push_back({320 + 320 * x / -z, 240 + 240 * y / (0.75 * -z)});
        };
        for (std::size_t k = 0; k < 3; ++k) {
            const auto& p = c.eye[k];
            const auto& q = c.eye[(k + 1) % 3];
            if (-p[2] >= Near) project(p[0], p[1], p[2]);
            if ((-p[2] >= Near) != (-q[2] >= Near)) {
                const double t = (-Near - p[2]) / (q[2] - p[2]);
                project(p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]), -Near);
            }
        }
        double x0 = visible[0][0], y0 = visible[0][1], x1 = x0, y1 = y0;
        for (const auto& v : visible) {
            x0 = std::min(x0, v[0]);
            x1 = std::max(x1, v[0]);
            y0 = std::min(y0, v[1]);
            y1 = std::max(y1, v[1]);
        }
        EXPECT_TRUE(HoldsWithSpare(Measure(frustum, piece), x0, y0, x1, y1)) << c.what;
    }
}

} // namespace
} // namespace gles
