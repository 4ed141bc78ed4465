// What the comparison scenes share: the show's fixed state and lights,
// shapes, and textures uploaded the show's way and then some.
#pragma once

#include "glapi/Gl11.h"

#include <array>

namespace glestest {

using Rgba = std::array<float, 4>;

// The show's fixed state: its frustum, depth test, colour material, culling
// and blending, then a cleared frame.
void SetUpShowState(const glapi::Gl11& gl);

// Green at a point swung by rotations, red from a direction, blue given as
// the origin of a translated frame with w = -1; lighting on.
void PlaceLights(const glapi::Gl11& gl, double swing);

// glColor4f of c.
void Color(const glapi::Gl11& gl, const Rgba& c);

// A square of half-size h in the z = 0 plane, counter-clockwise from the
// front, with a colour and a tilted normal at each corner.
void TiltedSquare(const glapi::Gl11& gl, float h, const std::array<Rgba, 4>& colors);

// A textured quad in the z = 0 plane, texture coordinates 0..repeat.
void TexturedSquare(const glapi::Gl11& gl, float h, float repeat);

// The bound texture's minifying and magnifying filters.
void UseFilters(const glapi::Gl11& gl, int min, int mag);

// Four textures as the show uploads them and then some: an RGB image whose
// rows need alignment 1, an RGBA one whose black is transparent, a padded RGB
// one under the default alignment, and a mip-mapped one.
std::array<unsigned, 4> MakeTextures(const glapi::Gl11& gl);

} // namespace glestest
