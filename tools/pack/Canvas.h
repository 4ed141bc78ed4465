// Floating-point pictures and the deterministic noise the pack is made of.
// Every random value comes from a hash of integer coordinates and a fixed
// seed, so the pack has the same bytes on every build.
#pragma once

#include "tex/MotFile.h"

#include <cstdint>
#include <vector>

namespace pack {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, float k)
{
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b)
{
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
inline Rgb Mix(Rgb a, Rgb b, float t)
{
    return a * (1 - t) + b * t;
}

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

struct Canvas {
    int width;
    int height;
    std::vector<Rgb> pixels; // first row first
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Quantises to bytes, 0..1 to 0..255, rounding to nearest.
    mot::MotImage ToMot() const;
    // The same, but never exact black: for opaque parts of alpha images.
    mot::MotImage ToMotOpaque() const;
};

// Hash of integer coordinates to [0, 1).
float Hash(int x, int y, std::uint32_t seed);

// Gradient noise in about -1..1 that repeats every `period` units in x and y.
float Noise(float x, float y, int period, std::uint32_t seed);

// Sum of `octaves` noise layers, each of double frequency and half amplitude,
// repeating every `period` units; result roughly -1..1.
float Fbm(float x, float y, int period, int octaves, std::uint32_t seed);

// Distances to the nearest and second-nearest feature point of a cellular
// pattern with one jittered point per unit cell, repeating every `period`.
struct Cells {
    float nearest;
    float second;
    int cellX, cellY; // the nearest point's cell
};
Cells Cellular(float x, float y, int period, std::uint32_t seed);

} // namespace pack
