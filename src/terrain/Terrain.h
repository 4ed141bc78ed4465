// The landscape grids: heights, vertex colours and texture slots.
#pragma once

#include "runtime/Runtime.h"

#include <cstdint>

namespace Terrain {

struct TerrainRGB {
    double Red;
    double Green;
    double Blue;
};

// Grid point (i, j): i along x, 0..90; j along z, 0..60. Only 0..20 x 0..20
// is drawn.
extern Runtime::BoundedArray2<double, 0, 90, 0, 60> TerrainHeight;
extern Runtime::BoundedArray2<TerrainRGB, 0, 90, 0, 60> TerrainColour;
extern Runtime::BoundedArray2<std::uint8_t, 0, 90, 0, 60> TerrainTile;

} // namespace Terrain
