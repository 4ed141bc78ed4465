// The landscape grids after the terrain steps of start-up: the white
// pre-fill of 0..40 x 0..40, the authored data, and the x80 scaling. (The GL
// tests run the real start-up for the bounds of the two loops.)
#include "terrain/Terrain.h"
#include "testing/Testing.h"
#include "window/glTemplate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

using Terrain::TerrainColour;
using Terrain::TerrainHeight;

class TerrainBuilt : public ::testing::Test {
protected:
    void SetUp() override
    {
        Terrain::ResetTerrain();
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; j <= 40; ++j) TerrainColour(i, j) = {1.0, 1.0, 1.0};
        window.InitTerrain();
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; j <= 40; ++j) TerrainHeight(i, j) = TerrainHeight(i, j) * 80.0;
    }
    void TearDown() override { Terrain::ResetTerrain(); }
    glTemplate window;
};

// The named points, decimals of the table included: rim, pit, far row and
// column, outside the pre-fill.
TEST_F(TerrainBuilt, PointsHaveTheirHeightAndColour)
{
    const std::tuple<int, int, double, double, double, double> points[] = {
        {19, 7, 800, 0, 0, 0},   {0, 0, 800, 0, 0, 0},       {20, 7, 0, 1, 1, 1},        {7, 20, 0, 1, 1, 1},
        {8, 9, -216, 0.9, 0, 0}, {8, 10, -376, 0.9, 0, 0},   {8, 8, 0, 0.4, 0, 0},       {9, 18, 1016, 1, 1, 1},
        {13, 3, 960, 0.9, 1, 1}, {13, 4, 960, 1, 0, 0.3},    {14, 5, 160, 1, 0.2, 0.1},  {15, 2, 976, 1, 1, 1},
        {14, 3, 88, 1, 1, 1},    {11, 17, 984, 0.9, 0, 0.1}, {10, 10, 0, 0.9, 0.3, 0.3}, {30, 30, 0, 1, 1, 1},
        {40, 40, 0, 1, 1, 1},    {50, 50, 0, 0, 0, 0},       {41, 0, 0, 0, 0, 0},        {90, 60, 0, 0, 0, 0},
    };
    const auto near = [](double a, double b) { return std::fabs(a - b) < 1e-9; };
    for (const auto& [i, j, height, r, g, b] : points) {
        const auto& c = TerrainColour(i, j);
        EXPECT_TRUE(near(TerrainHeight(i, j), height) && near(c.Red, r) && near(c.Green, g) && near(c.Blue, b))
            << "point (" << i << ", " << j << "): " << TerrainHeight(i, j) << " (" << c.Red << ", " << c.Green << ", "
            << c.Blue << ")";
    }
}

// Over the whole grid: the rim all round, the pit the only land below 0, the
// hill at (9, 18) the highest, 64 painted interior points, every tile slot 0.
TEST_F(TerrainBuilt, WholeGridInvariants)
{
    int below = 0, painted = 0, highest = 0;
    for (int i = 0; i <= 90; ++i)
        for (int j = 0; j <= 60; ++j) {
            const double h = TerrainHeight(i, j);
            const auto& c = TerrainColour(i, j);
            const bool rim = (i == 0 || i == 19 || j == 0 || j == 19) && i <= 19 && j <= 19;
            if (rim) EXPECT_TRUE(h == 800 && c.Red == 0 && c.Green == 0 && c.Blue == 0) << i << ", " << j;
            below += h < 0;
            painted += i >= 1 && i <= 18 && j >= 1 && j <= 18 && (c.Red != 1 || c.Green != 1 || c.Blue != 1);
            if (h > 1015.5) highest += i == 9 && j == 18 ? 1 : 100;
            EXPECT_EQ(Terrain::TerrainTile(i, j), 0);
        }
    EXPECT_EQ(below, 2);
    EXPECT_EQ(painted, 64);
    EXPECT_EQ(highest, 1);
}

// Points it does not name keep the value they already hold.
TEST(InitTerrain, LeavesPointsItDoesNotNameAlone)
{
    Terrain::ResetTerrain();
    TerrainHeight.Fill(0.5);
    TerrainColour.Fill({0.25, 0.5, 0.75});
    glTemplate window;
    window.InitTerrain();
    int keptHeights = 0;
    for (int i = 0; i <= 90; ++i)
        for (int j = 0; j <= 60; ++j) {
            if (i >= 20 || j >= 20)
                ASSERT_TRUE(TerrainHeight(i, j) == 0.5 && TerrainColour(i, j).Blue == 0.75) << i << ", " << j;
            else
                keptHeights += TerrainHeight(i, j) == 0.5;
        }
    EXPECT_EQ(keptHeights, 18 * 18 - 116); // the interior points the height table leaves at 0
    EXPECT_EQ(TerrainColour(10, 12).Red, 0.25);
    Terrain::ResetTerrain();
}

} // namespace
