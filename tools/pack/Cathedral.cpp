// The cathedral: walls with quatrefoil windows, slate roof, the rose window
// of the upper stage and the end front of each wing.
//
// The central block shows its wall and rose-window images turned by 0, 90,
// 180 and 270 degrees on its four sides, so those designs have four-fold
// symmetry; the wing ends are mapped upright and carry a lancet window.
#include "Masonry.h"
#include "Pack.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pack {
namespace {

constexpr float Pi = std::numbers::pi_v<float>;

float Coord(int pixel)
{
    return (static_cast<float>(pixel) + 0.5f) / static_cast<float>(Size);
}

// Leaded glass: irregular panes in a few jewel colours, blue the most common.
Rgb Glass(float x, float y, float scale, std::uint32_t seed)
{
    static const Rgb Palette[] = {{0.16f, 0.28f, 0.82f}, {0.12f, 0.22f, 0.70f}, {0.30f, 0.55f, 0.95f},
                                  {0.82f, 0.14f, 0.16f}, {0.95f, 0.74f, 0.22f}, {0.18f, 0.60f, 0.32f},
                                  {0.50f, 0.22f, 0.68f}, {0.16f, 0.28f, 0.82f}};
    const Cells pane = Cellular(x * scale, y * scale, 1 << 16, seed);
    const Rgb colour = Palette[static_cast<int>(Hash(pane.cellX, pane.cellY, seed + 1U) * 8.0f) & 7];
    const float shimmer =
        0.8f + 0.35f * Hash(pane.cellX, pane.cellY, seed + 2U) - 0.25f * SmoothStep(0.0f, 0.5f, pane.nearest);
    const float lead = SmoothStep(0.05f, 0.11f, pane.second - pane.nearest);
    return Mix(Rgb{0.07f, 0.07f, 0.09f}, colour * shimmer, lead);
}

// A band of carved stone along a signed distance: lit on one side of its
// crest and shaded on the other, so the moulding reads as raised.
Rgb Moulding(Rgb stone, float distance, float width)
{
    const float t = Clamp01(distance / width);
    const float light = 1.15f - 0.45f * std::fabs(t - 0.35f);
    return stone * light;
}

const Masonry CathedralStone{8, 8, false, {0.78f, 0.70f, 0.56f}, {0.60f, 0.56f, 0.50f}, 1.3f, 0.10f, 601U};

// Four circles around a centre circle, the classic quatrefoil; negative inside.
float QuatrefoilDistance(float x, float y, float size)
{
    const float lobe = 0.45f * size;
    const float offset = 0.55f * size;
    float d = std::sqrt(x * x + y * y) - 0.62f * size;
    const float centres[4][2] = {{offset, 0}, {-offset, 0}, {0, offset}, {0, -offset}};
    for (const auto& c : centres) d = std::min(d, std::sqrt((x - c[0]) * (x - c[0]) + (y - c[1]) * (y - c[1])) - lobe);
    return d;
}

Rgb Window(Rgb wall, float distance, float frame, float gx, float gy, float scale, std::uint32_t seed)
{
    if (distance < 0) return Glass(gx, gy, scale, seed);
    if (distance < frame) return Moulding(Rgb{0.86f, 0.80f, 0.68f}, distance, frame);
    // A soft shadow just outside the frame sets the window into the wall.
    return wall * (0.8f + 0.2f * SmoothStep(frame, frame * 2.5f, distance));
}

} // namespace

mot::MotImage MakeCathedralWall()
{
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            Rgb colour = MasonryAt(CathedralStone, x, y);
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float big = QuatrefoilDistance(dx, dy, 0.27f);
            colour = Window(colour, big, 0.035f, u, v, 22.0f, 611U);
            // Four small round windows on the diagonals.
            const float cx = u < 0.5f ? 0.16f : 0.84f;
            const float cy = v < 0.5f ? 0.16f : 0.84f;
            const float small = std::sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy)) - 0.075f;
            if (big > 0.09f) colour = Window(colour, small, 0.025f, u, v, 40.0f, 612U);
            canvas.At(x, y) = colour;
        }
    return canvas.ToMot();
}

// Slate courses run across the image's columns: on the wing roofs s climbs
// the slope, so each column band is one course, shaded where the course
// above overlaps it.
mot::MotImage MakeRoof()
{
    constexpr int Courses = 16;
    constexpr float SlateLength = 21.33f; // pixels along a course
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            const float courseW = static_cast<float>(Size) / Courses;
            const int course = static_cast<int>(px / courseW);
            const float along = px / courseW - static_cast<float>(course); // 0 at the lower edge
            const float shifted = py / SlateLength + (course % 2 == 1 ? 0.5f : 0.0f);
            const int slate = static_cast<int>(std::floor(shifted)) % 12;
            const float across = shifted - std::floor(shifted);
            const float seam = std::min(across, 1.0f - across) * SlateLength;

            const float shade = 0.88f + 0.24f * Hash(course, slate, 701U);
            const float grain = Fbm(Coord(x) * 32, Coord(y) * 32, 32, 3, 702U);
            Rgb slateColour = Mix(Rgb{0.34f, 0.38f, 0.46f}, Rgb{0.42f, 0.44f, 0.50f}, Hash(course, slate, 703U));
            slateColour = slateColour * (shade * (1.0f + 0.12f * grain));
            slateColour = slateColour * (1.05f - 0.4f * along * along); // tucked under the course above
            slateColour = slateColour * (0.6f + 0.4f * SmoothStep(0.5f, 1.8f, seam));
            slateColour = slateColour * (0.65f + 0.35f * SmoothStep(0.0f, 0.08f, along)); // drip edge shadow
            canvas.At(x, y) = slateColour;
        }
    return canvas.ToMot();
}

mot::MotImage MakeRoseWindow()
{
    constexpr float Petals = 12;
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float angle = std::atan2(dy, dx) + Pi; // 0..2 pi
            const float sector = angle / (2 * Pi) * Petals;
            const int petal = static_cast<int>(sector) % static_cast<int>(Petals);
            const float inSector = sector - std::floor(sector);                   // 0..1 across a petal
            const float spoke = std::fabs(inSector - 0.5f) * 2 * Pi / Petals * r; // distance to the petal's edge line

            Rgb colour = MasonryAt(CathedralStone, x, y);
            const Rgb tracery{0.88f, 0.82f, 0.70f};
            if (r < 0.43f) {
                Rgb glass;
                if (r < 0.075f) {
                    glass = Mix(Rgb{1.0f, 0.86f, 0.35f}, Rgb{0.85f, 0.45f, 0.12f}, r / 0.075f);
                } else if (r < 0.28f) {
                    // Inner petals, alternately ruby and blue, each with a pointed tip.
                    glass = Glass(u, v, 30.0f, 621U) * 0.35f +
                            (petal % 2 == 0 ? Rgb{0.78f, 0.12f, 0.16f} : Rgb{0.16f, 0.30f, 0.86f}) * 0.7f;
                } else {
                    // Outer ring: a roundel between each pair of spokes.
                    const float centreAngle = (std::floor(sector) + 0.5f) / Petals * 2 * Pi - Pi;
                    const float rx = 0.5f + 0.355f * std::cos(centreAngle);
                    const float ry = 0.5f + 0.355f * std::sin(centreAngle);
                    const float roundel = std::sqrt((u - rx) * (u - rx) + (v - ry) * (v - ry));
                    glass = roundel < 0.05f ? Mix(Rgb{1.0f, 0.80f, 0.28f}, Rgb{0.20f, 0.62f, 0.34f}, roundel / 0.05f)
                                            : Glass(u, v, 36.0f, 622U);
                    if (std::fabs(roundel - 0.05f) < 0.006f) glass = tracery * 0.8f;
                }
                colour = glass;
                // Tracery: rings and spokes of carved stone.
                const float ringDistance = std::min({std::fabs(r - 0.08f), std::fabs(r - 0.285f)});
                const float petalTip = 0.28f - 0.09f * std::fabs(inSector - 0.5f) * 2.0f;
                const bool stoneRing = ringDistance < 0.009f;
                const bool stoneSpoke = r > 0.08f && spoke < 0.007f;
                const bool cusp = r > 0.2f && r < 0.285f && r > petalTip && std::fabs(inSector - 0.5f) > 0.12f;
                if (stoneRing || stoneSpoke || cusp) colour = tracery * (0.85f + 0.2f * Hash(x, y, 623U));
            } else if (r < 0.47f) {
                colour = Moulding(tracery, r - 0.43f, 0.04f);
            } else {
                colour = colour * (0.8f + 0.2f * SmoothStep(0.47f, 0.52f, r));
            }
            canvas.At(x, y) = colour;
        }
    return canvas.ToMot();
}

// The wing's end front, upright, 40 units wide and 60 high: a two-light
// lancet window with an oculus in its head above a pointed doorway.
mot::MotImage MakeWingFront()
{
    const Masonry ashlar{6, 16, true, {0.76f, 0.68f, 0.55f}, {0.60f, 0.56f, 0.50f}, 1.2f, 0.10f, 801U};
    constexpr float Width = 40, Height = 60;
    // Pointed (equilateral) arch: negative inside.
    auto arch = [](float X, float Y, float centre, float half, float spring, float sill) {
        const float side = std::fabs(X - centre) - half;
        if (Y >= spring) return std::max(side, Y - sill);
        const float span = 2 * half;
        const float left = std::sqrt((X - (centre - half)) * (X - (centre - half)) + (Y - spring) * (Y - spring));
        const float right = std::sqrt((X - (centre + half)) * (X - (centre + half)) + (Y - spring) * (Y - spring));
        return std::max(left, right) - span;
    };
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float X = Coord(x) * Width, Y = Coord(y) * Height;
            Rgb colour = MasonryAt(ashlar, x, y);
            // Buttresses at both corners stand forward and catch the light.
            const float corner = std::min(X, Width - X);
            if (corner < 3.0f) colour = colour * (corner < 0.5f ? 0.7f : 1.12f);

            const float window = arch(X, Y, 20, 7, 21, 38);
            const float door = arch(X, Y, 20, 5, 50, 61);
            if (window < 0) {
                // Plate tracery: stone filling the arch, pierced by two
                // pointed lights and a round oculus above them.
                const float light = std::min(arch(X, Y, 16.6f, 2.6f, 25, 37), arch(X, Y, 23.4f, 2.6f, 25, 37));
                const float oculus = std::sqrt((X - 20) * (X - 20) + (Y - 15.5f) * (Y - 15.5f)) - 3.0f;
                const float opening = std::min(light, oculus);
                if (opening < 0)
                    colour = Glass(X / Width, Y / Width, 18.0f, 811U);
                else
                    colour = Moulding(Rgb{0.88f, 0.82f, 0.70f}, std::min(opening, 0.8f), 0.8f) *
                             (0.9f + 0.1f * Hash(x, y, 813U));
            } else if (window < 1.2f) {
                colour = Moulding(Rgb{0.88f, 0.82f, 0.70f}, window, 1.2f);
            } else if (door < 0) {
                // Oak planks with two iron straps.
                const float plank = std::fabs(std::fmod(X - 15.0f + 10.0f, 2.0f) - 1.0f);
                Rgb wood = Rgb{0.36f, 0.22f, 0.12f} * (0.75f + 0.3f * SmoothStep(0.0f, 0.3f, plank));
                wood = wood * (0.9f + 0.2f * Fbm(Coord(x) * 8, Coord(y) * 32, 32, 2, 812U));
                if (std::fabs(Y - 52.5f) < 0.6f || std::fabs(Y - 57.5f) < 0.6f) wood = Rgb{0.16f, 0.15f, 0.15f};
                colour = wood;
            } else if (door < 1.5f) {
                colour = Moulding(Rgb{0.84f, 0.78f, 0.66f}, door, 1.5f);
            }
            canvas.At(x, y) = colour;
        }
    return canvas.ToMot();
}

} // namespace pack
