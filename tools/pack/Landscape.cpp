// Terrain, wall ring, sky and towers.
//
// The wall ring and the boxes put texture coordinates on their faces in four
// different orientations, so the stone patterns here are square grids that
// read the same whichever way round they are mapped.
#include "Masonry.h"
#include "Pack.h"

#include <cmath>

namespace pack {
namespace {

float Coord(int pixel)
{
    return (static_cast<float>(pixel) + 0.5f) / static_cast<float>(Size);
}

} // namespace

mot::MotImage MakeGround()
{
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            const float patch = Fbm(u * 3, v * 3, 3, 5, 7U);
            const float grassy = SmoothStep(-0.2f, 0.2f, patch);
            const float fine = Fbm(u * 48, v * 48, 48, 2, 8U);
            const float blade = Hash(x, y, 9U);

            Rgb grass = Mix(Rgb{0.30f, 0.46f, 0.16f}, Rgb{0.52f, 0.66f, 0.26f}, Clamp01(0.5f + fine));
            grass = grass * (0.8f + 0.35f * blade);

            Rgb earth = Mix(Rgb{0.50f, 0.38f, 0.24f}, Rgb{0.62f, 0.50f, 0.34f}, Clamp01(0.5f + fine));
            const Cells pebble = Cellular(u * 20, v * 20, 20, 10U);
            const float stone = SmoothStep(0.30f, 0.22f, pebble.nearest) *
                                (Hash(pebble.cellX, pebble.cellY, 12U) < 0.55f ? 1.0f : 0.0f);
            const float lit = 0.85f + 0.3f * Hash(pebble.cellX, pebble.cellY, 13U);
            earth = Mix(earth * (0.9f + 0.2f * blade), Rgb{0.68f, 0.64f, 0.58f} * lit, stone);

            canvas.At(x, y) = Mix(earth, grass, grassy);
        }
    return canvas.ToMot();
}

mot::MotImage MakeWall()
{
    const Masonry wall{8, 8, false, {0.70f, 0.63f, 0.52f}, {0.52f, 0.50f, 0.46f}, 1.4f, 0.14f, 101U};
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) canvas.At(x, y) = MasonryAt(wall, x, y);
    return canvas.ToMot();
}

// Merlons repeat across the image's columns, full height, so the gaps of
// the parapet reach down to the top of the lower band.
mot::MotImage MakeBattlements()
{
    constexpr int Period = 16;
    constexpr int Merlon = 10;
    const Masonry parapet{Size / Period, 4, false, {0.74f, 0.67f, 0.56f}, {0.55f, 0.52f, 0.47f}, 1.2f, 0.12f, 202U};
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) canvas.At(x, y) = MasonryAt(parapet, (x + (Period - Merlon) / 2) % Size, y);
    mot::MotImage image = canvas.ToMotOpaque();
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x)
            if (x % Period >= Merlon)
                for (int c = 0; c < 3; ++c) image.rgb[(static_cast<std::size_t>(y) * Size + x) * 3 + c] = 0;
    return image;
}

// Seamless in both directions: the tiles lie side by side and the image
// scrolls in s.
mot::MotImage MakeClouds()
{
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            const float density = Fbm(u * 4, v * 4, 4, 6, 301U);
            const float wisps = Fbm(u * 8, v * 8, 8, 4, 302U);
            const float cover = SmoothStep(-0.08f, 0.40f, density + 0.25f * wisps);
            const Rgb sky = Mix(Rgb{0.30f, 0.50f, 0.86f}, Rgb{0.45f, 0.64f, 0.92f}, Clamp01(0.5f + wisps));
            // Thick cloud is grey underneath, thin cloud bright.
            const Rgb cloud = Mix(Rgb{0.98f, 0.98f, 1.0f}, Rgb{0.68f, 0.71f, 0.80f}, SmoothStep(0.25f, 0.75f, density));
            canvas.At(x, y) = Mix(sky, cloud, cover);
        }
    return canvas.ToMot();
}

// The fixed layer under the clouds: dusk blue, lighter at the centre where
// the tiles' bright corners meet, with stars toward the edges.
mot::MotImage MakeNightSky()
{
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x) - 0.5f, v = Coord(y) - 0.5f;
            const float r = std::sqrt(u * u + v * v) * 2.0f;
            const float haze = Fbm(Coord(x) * 3, Coord(y) * 3, 3, 5, 401U);
            Rgb sky = Mix(Rgb{0.34f, 0.40f, 0.66f}, Rgb{0.05f, 0.06f, 0.19f}, SmoothStep(0.0f, 1.1f, r));
            sky = sky + Rgb{0.10f, 0.04f, 0.12f} * Clamp01(haze * 1.5f);
            const float star = Hash(x, y, 402U);
            const float bright = SmoothStep(0.2f, 0.9f, r);
            if (star > 0.994f) sky = Mix(sky, Rgb{0.95f, 0.95f, 1.0f}, bright * (0.5f + 60.0f * (star - 0.994f)));
            canvas.At(x, y) = sky;
        }
    return canvas.ToMot();
}

mot::MotImage MakeTowerStone()
{
    const Masonry tower{6, 6, false, {0.58f, 0.58f, 0.60f}, {0.40f, 0.40f, 0.40f}, 1.8f, 0.16f, 505U};
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const Rgb stone = MasonryAt(tower, x, y);
            // Moss gathers in the damp patches.
            const float moss = SmoothStep(0.15f, 0.5f, Fbm(Coord(x) * 4, Coord(y) * 4, 4, 5, 506U));
            canvas.At(x, y) = Mix(stone, stone * Rgb{0.7f, 0.95f, 0.55f}, 0.7f * moss);
        }
    return canvas.ToMot();
}

} // namespace pack
