// The landscape grids and their authored data. The data are held as tables
// shaped like the landscape: heights by row and column, colours by patch.
#include "terrain/Terrain.h"

#include "testing/Testing.h"

#include "window/glTemplate.h"

#include <initializer_list>

namespace Terrain {

Runtime::BoundedArray2<double, 0, 90, 0, 60> TerrainHeight;
Runtime::BoundedArray2<TerrainRGB, 0, 90, 0, 60> TerrainColour;
Runtime::BoundedArray2<std::uint8_t, 0, 90, 0, 60> TerrainTile;

void ResetTerrain()
{
    TerrainHeight.Fill(0);
    TerrainColour.Fill({0, 0, 0});
    TerrainTile.Fill(0);
}

} // namespace Terrain

namespace {

using Terrain::TerrainRGB;

constexpr int RimIndex = 19;
constexpr double RimHeight = 10;
constexpr TerrainRGB RimColour = {0.0, 0.0, 0.0};

// Heights of the interior points 1..18 x 1..18 in authored units (the
// start-up scales them by 80). One row per j, one column per i; a 0 is a
// point the authors left alone, so it keeps what it holds.
constexpr double InteriorHeight[18][18] = {
    //  i=1   2     3     4     5     6     7     8     9     10    11    12    13    14    15    16    17    18
    {0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0},                          // j=1
    {10, 11, 12, 0, 0, 4, 0, 0, 0, 0, 0, 5, 0, 0, 12.2, 0, 9, 4},                     // j=2
    {6, 0, 9, 9, 4.9, 0, 4.9, 0, 4.9, 5, 11, 0, 12, 1.1, 2.1, 11, 0, 0},              // j=3
    {0, 6, 0, 0, 0, 3.3, 0, 6, 0, 0, 0, 0, 12, 6, 3.3, 0, 1.5, 1.6},                  // j=4
    {0, 7, 0, 4.4, 4, 0, 1.9, 4, 1.9, 7.9, 0, 0, 4, 2, 0, 5.4, 12, 12},               // j=5
    {5, 0, 0, 2.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3.5, 0, 6, 0},                       // j=6
    {0, 4, 0, 0, 3.6, 0, 0, 0, 0, 0, 0, 0, 0, 1.6, 0, 9, 0, 0},                       // j=7
    {6, 0, 0, 0, 2.7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2.7, 5, 0},                       // j=8
    {0, 8, 0, 0, 2.1, 0, 0, -2.7, 0, 0, 0, 0, 0, 0, 0, 0, 2.1, 6},                    // j=9
    {9, 0, 0, 0, 3.3, 0, 0, -4.7, 0, 0, 0, 0, 0, 0, 0, 3.3, 5, 6},                    // j=10
    {0, 5, 0, 2.5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2.5, 2.4, 0, 7},                     // j=11
    {0, 0, 0, 0, 3.6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3.6, 6, 0},                       // j=12
    {0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 1.7, 0},                         // j=13
    {0, 2.7, 3.6, 0, 0, 2.3, 0, 0, 0, 0, 0, 0, 2.3, 0, 1.3, 0, 4, 1.6},               // j=14
    {0, 11, 2.1, 12.4, 4.4, 4.8, 3.4, 9.5, 2.1, 0, 0, 9.4, 3, 1.1, 2.5, 2.6, 1.5, 8}, // j=15
    {0, 0, 11.1, 0, 0, 0, 0, 11.6, 0, 9.1, 0, 0, 11.5, 3.4, 4, 10, 0, 0},             // j=16
    {0, 0, 0, 5.1, 0, 0, 0, 0, 2.6, 0, 12.3, 0, 0, 0, 12, 0, 10.6, 5},                // j=17
    {0, 0, 0, 0, 0, 0, 0, 0, 12.7, 2.3, 0, 0, 0, 10.6, 0, 0, 6, 12},                  // j=18
};

struct GridPoint {
    int i;
    int j;
};

struct ColourPatch {
    TerrainRGB colour;
    std::initializer_list<GridPoint> points;
};

// The painted patches; every interior point not listed stays white.
const ColourPatch InteriorColours[] = {
    {{0.9, 0.0, 0.1},
     {{3, 3},
      {4, 3},
      {2, 4},
      {3, 4},
      {8, 4},
      {14, 4},
      {8, 5},
      {16, 5},
      {15, 6},
      {2, 7},
      {5, 7},
      {15, 7},
      {3, 8},
      {5, 8},
      {3, 15},
      {4, 15},
      {8, 16},
      {11, 17}}},
    {{0.9, 0.0, 0.0},
     {{7, 8},
      {9, 8},
      {10, 8},
      {11, 8},
      {12, 8},
      {7, 9},
      {8, 9},
      {9, 9},
      {11, 9},
      {12, 9},
      {7, 10},
      {8, 10},
      {7, 11},
      {9, 11}}},
    {{0.4, 0.0, 0.1}, {{2, 5}, {4, 5}, {1, 8}, {2, 9}, {4, 11}, {18, 11}, {17, 14}, {8, 15}, {3, 16}}},
    {{0.9, 0.3, 0.3}, {{10, 9}, {9, 10}, {10, 10}, {11, 10}, {10, 11}, {11, 11}}},
    {{0.1, 0.0, 0.5}, {{15, 11}, {10, 13}, {10, 14}, {10, 15}, {10, 16}}},
    {{0.4, 0.0, 0.5}, {{15, 12}, {15, 13}, {12, 14}, {15, 14}}},
    {{0.9, 0.0, 0.3}, {{5, 4}, {5, 15}}},
    {{1.0, 0.0, 0.1}, {{5, 6}, {14, 6}}},
    {{0.4, 0.0, 0.0}, {{8, 8}}},
    {{0.9, 1.0, 1.0}, {{13, 3}}},
    {{1.0, 0.0, 0.3}, {{13, 4}}},
    {{1.0, 0.2, 0.1}, {{14, 5}}},
};

} // namespace

void glTemplate::InitTerrain()
{
    using Terrain::TerrainColour;
    using Terrain::TerrainHeight;

    for (int j = 1; j <= 18; ++j)
        for (int i = 1; i <= 18; ++i)
            if (InteriorHeight[j - 1][i - 1] != 0) TerrainHeight(i, j) = InteriorHeight[j - 1][i - 1];

    for (const ColourPatch& patch : InteriorColours)
        for (const GridPoint& p : patch.points) TerrainColour(p.i, p.j) = patch.colour;

    // The rim last: its values win over anything else given to a rim point.
    for (int k = 0; k <= RimIndex; ++k) {
        for (const GridPoint p : {GridPoint{0, k}, GridPoint{RimIndex, k}, GridPoint{k, 0}, GridPoint{k, RimIndex}}) {
            TerrainHeight(p.i, p.j) = RimHeight;
            TerrainColour(p.i, p.j) = RimColour;
        }
    }
}
