#include "Masonry.h"

#include "Pack.h"

#include <algorithm>
#include <cmath>

namespace pack {

Rgb MasonryAt(const Masonry& style, int x, int y)
{
    const float blockW = static_cast<float>(Size) / static_cast<float>(style.columns);
    const float blockH = static_cast<float>(Size) / static_cast<float>(style.rows);
    const float px = static_cast<float>(x) + 0.5f;
    const float py = static_cast<float>(y) + 0.5f;
    const int row = static_cast<int>(std::floor(py / blockH));
    const float shift = style.stagger && (row % 2 == 1) ? blockW * 0.5f : 0.0f;
    const float bx = (px + shift) / blockW;
    const int column = static_cast<int>(std::floor(bx)) % style.columns;
    const float inX = (bx - std::floor(bx)) * blockW;
    const float inY = py - static_cast<float>(row) * blockH;
    // Distance in pixels to the nearest joint, roughened so the edges look chiselled.
    const float u = px / static_cast<float>(Size);
    const float v = py / static_cast<float>(Size);
    const float rough = 0.9f * Fbm(u * 16, v * 16, 16, 3, style.seed + 11U);
    const float edge = std::min({inX, blockW - inX, inY, blockH - inY}) + rough;

    // Each block gets its own shade and a slightly different hue.
    const float shade = 1.0f + style.tint * (2.0f * Hash(column, row, style.seed) - 1.0f);
    const float warm = 0.04f * (2.0f * Hash(column, row, style.seed + 3U) - 1.0f);
    Rgb stone = style.stone * shade + Rgb{warm, warm * 0.3f, -warm};

    // Surface: broad weathering stains, medium grain, fine speckle.
    const float stain = Fbm(u * 4, v * 4, 4, 4, style.seed + 21U);
    const float grain = Fbm(u * 32, v * 32, 32, 2, style.seed + 31U);
    const float speckle = Hash(x, y, style.seed + 41U) - 0.5f;
    stone = stone * (1.0f + 0.22f * stain + 0.10f * grain + 0.08f * speckle);

    // Bevel: blocks darken toward their edges, the joint sits in shadow.
    const float bevel = SmoothStep(0.0f, 3.5f, edge - style.joint);
    stone = stone * (0.72f + 0.28f * bevel);
    const Rgb mortar = style.mortar * (0.85f + 0.15f * grain + 0.1f * speckle);
    return Mix(mortar, stone, SmoothStep(style.joint - 0.6f, style.joint + 0.6f, edge));
}

} // namespace pack
