#include "gles/Coverage.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

} // namespace

std::array<int, 4> MeasurePiece(const Matrix& mvp, const std::array<int, 4>& screen, const Vertex* vertices,
                                std::size_t count)
{
    thread_local std::vector<Clip> polygon, scratch;
    bool any = false, unbounded = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (std::size_t t = 0; t + 3 <= count; t += 3) {
        polygon.clear();
        for (std::size_t k = t; k < t + 3; ++k) {
            const auto& p = vertices[k].position;
            Clip c;
            for (std::size_t r = 0; r < 4; ++r)
                c[r] = mvp[r] * p[0] + mvp[4 + r] * p[1] + mvp[8 + r] * p[2] + mvp[12 + r];
            polygon.push_back(c);
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
    if (unbounded) return screen;
    if (!any) return {}; // nothing in view
    const auto window = [](float ndc, int from, int to, bool up) {
        const float at = static_cast<float>(from) + (ndc + 1) * 0.5f * static_cast<float>(to - from);
        const float bounded = std::clamp(at, static_cast<float>(from) - 2, static_cast<float>(to) + 2);
        const int pixel = static_cast<int>(up ? std::ceil(bounded) + 1 : std::floor(bounded) - 1);
        return std::clamp(pixel, from, to);
    };
    return {window(x0, screen[0], screen[2], false), window(y0, screen[1], screen[3], false),
            window(x1, screen[0], screen[2], true), window(y1, screen[1], screen[3], true)};
}

} // namespace gles
