#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace pack {

float Clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

float SmoothStep(float edge0, float edge1, float v)
{
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

namespace {

std::uint8_t ToByte(float v)
{
    return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f));
}

std::uint32_t Mix32(std::uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

std::uint32_t HashBits(int x, int y, std::uint32_t seed)
{
    return Mix32(static_cast<std::uint32_t>(x) * 0x9e3779b1U ^
                 Mix32(static_cast<std::uint32_t>(y) * 0x85ebca77U ^ Mix32(seed)));
}

int Wrap(int v, int period)
{
    return ((v % period) + period) % period;
}

float Fade(float t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// Sixteen evenly spread unit directions; a table keeps libm out of the noise.
constexpr float Directions[16][2] = {
    {1.0f, 0.0f},  {0.92388f, 0.38268f},   {0.70711f, 0.70711f},   {0.38268f, 0.92388f},
    {0.0f, 1.0f},  {-0.38268f, 0.92388f},  {-0.70711f, 0.70711f},  {-0.92388f, 0.38268f},
    {-1.0f, 0.0f}, {-0.92388f, -0.38268f}, {-0.70711f, -0.70711f}, {-0.38268f, -0.92388f},
    {0.0f, -1.0f}, {0.38268f, -0.92388f},  {0.70711f, -0.70711f},  {0.92388f, -0.38268f}};

float Corner(int ix, int iy, float dx, float dy, int period, std::uint32_t seed)
{
    const auto& g = Directions[HashBits(Wrap(ix, period), Wrap(iy, period), seed) & 15U];
    return g[0] * dx + g[1] * dy;
}

} // namespace

mot::MotImage Canvas::ToMot() const
{
    mot::MotImage image;
    image.width = width;
    image.height = height;
    image.rgb.reserve(pixels.size() * 3);
    for (const Rgb& p : pixels) {
        image.rgb.push_back(ToByte(p.r));
        image.rgb.push_back(ToByte(p.g));
        image.rgb.push_back(ToByte(p.b));
    }
    return image;
}

mot::MotImage Canvas::ToMotOpaque() const
{
    mot::MotImage image = ToMot();
    for (std::size_t k = 0; k < image.rgb.size(); k += 3)
        if ((image.rgb[k] | image.rgb[k + 1] | image.rgb[k + 2]) == 0) image.rgb[k] = 1;
    return image;
}

float Hash(int x, int y, std::uint32_t seed)
{
    return static_cast<float>(HashBits(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float Noise(float x, float y, int period, std::uint32_t seed)
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float n00 = Corner(ix, iy, fx, fy, period, seed);
    const float n10 = Corner(ix + 1, iy, fx - 1, fy, period, seed);
    const float n01 = Corner(ix, iy + 1, fx, fy - 1, period, seed);
    const float n11 = Corner(ix + 1, iy + 1, fx - 1, fy - 1, period, seed);
    const float u = Fade(fx);
    const float v = Fade(fy);
    const float a = n00 + (n10 - n00) * u;
    const float b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.4142f;
}

float Fbm(float x, float y, int period, int octaves, std::uint32_t seed)
{
    float sum = 0;
    float amplitude = 0.5f;
    float norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * Noise(x, y, period, seed + static_cast<std::uint32_t>(o) * 1013U);
        norm += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

Cells Cellular(float x, float y, int period, std::uint32_t seed)
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    Cells result{1e9f, 1e9f, 0, 0};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int cx = ix + dx;
            const int cy = iy + dy;
            const int wx = Wrap(cx, period);
            const int wy = Wrap(cy, period);
            const float px = static_cast<float>(cx) + 0.15f + 0.7f * Hash(wx, wy, seed);
            const float py = static_cast<float>(cy) + 0.15f + 0.7f * Hash(wx, wy, seed + 7U);
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.cellX = wx;
                result.cellY = wy;
            } else if (d < result.second) {
                result.second = d;
            }
        }
    return result;
}

} // namespace pack
