#include "gles/Coverage.h"

#include <algorithm>
#include <cmath>

namespace gles {

namespace {

using Clip = std::array<float, 4>;

// Clips the convex polygon in clip space to the view volume, in place.
void ClipToVolume(std::vector<Clip>& polygon, std::vector<Clip>& scratch)
{
    for (int plane = 0; plane < 6 && !polygon.empty(); ++plane) {
        const std::size_t axis = static_cast<std::size_t>(plane / 2);
        const float sign = plane % 2 == 0 ? 1.0f : -1.0f;
        const auto inside = [&](const Clip& c) { return c[3] + sign * c[axis]; }; // >= 0 inside
        scratch.clear();
        for (std::size_t k = 0; k < polygon.size(); ++k) {
            const Clip& p = polygon[k];
            const Clip& q = polygon[(k + 1) % polygon.size()];
            const float dp = inside(p), dq = inside(q);
            if (dp >= 0) scratch.push_back(p);
            if ((dp >= 0) != (dq >= 0)) {
                const float t = dp / (dp - dq);
                Clip c;
                for (std::size_t r = 0; r < 4; ++r) c[r] = p[r] + t * (q[r] - p[r]);
                scratch.push_back(c);
            }
        }
        polygon.swap(scratch);
    }
}

// How far the rasteriser's window positions may stray from ours, in pixels:
// snapping to a sixteenth of a pixel (the least subpixel precision ES
// allows) and the float rounding between its arithmetic and ours.
constexpr double Stray = 0.0625;

// Whether every corner of triangle b lies beyond the line through edge
// (p, q) of triangle a, away from a's third corner r, far enough that no
// rounding brings it back, or is p or q themselves.
bool Separates(const Corner& p, const Corner& q, const Corner& r, const Corner* b)
{
    const double ex = q.x - p.x, ey = q.y - p.y;
    const double length = std::sqrt(ex * ex + ey * ey);
    if (!(length > 0)) return false;
    const auto distance = [&](const Corner& c) { return (ex * (c.y - p.y) - ey * (c.x - p.x)) / length; };
    const auto stray = [&](const Corner& c) {
        const double toP = std::hypot(c.x - p.x, c.y - p.y), toQ = std::hypot(c.x - q.x, c.y - q.y);
        // The corner's own stray, and the line's where it passes the corner.
        return Stray * (1 + (toP + toQ) / length);
    };
    const double side = distance(r);
    // a must keep its side of the line whatever the rounding.
    if (!(std::fabs(side) > stray(r))) return false;
    const auto same = [](const float* u, const float* v) { return u[0] == v[0] && u[1] == v[1] && u[2] == v[2]; };
    for (int k = 0; k < 3; ++k) {
        const Corner& c = b[k];
        if (same(c.position, p.position) || same(c.position, q.position)) continue;
        const double d = side > 0 ? -distance(c) : distance(c);
        if (!(d > stray(c))) return false;
    }
    return true;
}

bool AreTrianglesDisjoint(const Corner* a, const Corner* b)
{
    for (int k = 0; k < 3; ++k) {
        if (Separates(a[k], a[(k + 1) % 3], a[(k + 2) % 3], b)) return true;
        if (Separates(b[k], b[(k + 1) % 3], b[(k + 2) % 3], a)) return true;
    }
    return false;
}

} // namespace

PieceCoverage MeasurePiece(const Matrix& mvp, const std::array<int, 4>& screen, const Vertex* vertices,
                           std::size_t count, std::vector<Corner>& corners)
{
    thread_local std::vector<Clip> polygon, scratch;
    PieceCoverage piece;
    piece.from = corners.size();
    piece.exact = true;
    bool any = false, unbounded = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const float halfWidth = 0.5f * static_cast<float>(screen[2] - screen[0]);
    const float halfHeight = 0.5f * static_cast<float>(screen[3] - screen[1]);
    for (std::size_t t = 0; t + 3 <= count; t += 3) {
        polygon.clear();
        for (std::size_t k = t; k < t + 3; ++k) {
            const auto& p = vertices[k].position;
            Clip c;
            for (std::size_t r = 0; r < 4; ++r)
                c[r] = mvp[r] * p[0] + mvp[4 + r] * p[1] + mvp[8 + r] * p[2] + mvp[12 + r];
            polygon.push_back(c);
            if (!(c[3] > 0 && std::fabs(c[2]) <= c[3])) piece.exact = false;
            if (piece.exact) {
                const double x = screen[0] + (static_cast<double>(c[0]) / c[3] + 1) * halfWidth;
                const double y = screen[1] + (static_cast<double>(c[1]) / c[3] + 1) * halfHeight;
                corners.push_back(Corner{x, y, p.data()});
            }
        }
        ClipToVolume(polygon, scratch);
        for (const Clip& c : polygon) {
            // On the volume, w is at least |x|, |y| and |z|: 0 only at the eye.
            if (!(c[3] > 1e-6f)) {
                unbounded = true;
                continue;
            }
            const float x = c[0] / c[3], y = c[1] / c[3];
            x0 = any ? std::min(x0, x) : x;
            x1 = any ? std::max(x1, x) : x;
            y0 = any ? std::min(y0, y) : y;
            y1 = any ? std::max(y1, y) : y;
            any = true;
        }
    }
    if (!piece.exact) corners.resize(piece.from);
    piece.count = corners.size() - piece.from;
    if (unbounded) {
        piece.box = screen;
        return piece;
    }
    if (!any) return piece; // nothing in view: an empty box
    const auto window = [](float ndc, int from, int to, bool up) {
        const float at = static_cast<float>(from) + (ndc + 1) * 0.5f * static_cast<float>(to - from);
        const float bounded = std::clamp(at, static_cast<float>(from) - 2, static_cast<float>(to) + 2);
        const int pixel = static_cast<int>(up ? std::ceil(bounded) + 1 : std::floor(bounded) - 1);
        return std::clamp(pixel, from, to);
    };
    piece.box = {window(x0, screen[0], screen[2], false), window(y0, screen[1], screen[3], false),
                 window(x1, screen[0], screen[2], true), window(y1, screen[1], screen[3], true)};
    return piece;
}

bool AreDisjoint(const PieceCoverage& a, const PieceCoverage& b, const std::vector<Corner>& corners)
{
    const auto& p = a.box;
    const auto& q = b.box;
    if (p[0] >= p[2] || p[1] >= p[3] || q[0] >= q[2] || q[1] >= q[3]) return true;
    if (!(p[0] < q[2] && q[0] < p[2] && p[1] < q[3] && q[1] < p[3])) return true;
    if (!a.exact || !b.exact) return false;
    for (std::size_t s = a.from; s < a.from + a.count; s += 3)
        for (std::size_t t = b.from; t < b.from + b.count; t += 3)
            if (!AreTrianglesDisjoint(&corners[s], &corners[t])) return false;
    return true;
}

} // namespace gles
