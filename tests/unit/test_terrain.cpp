// The landscape grids as start-up leaves them: the white pre-fill of
// 0..40 x 0..40, the authored data, and the x80 scaling of 0..40 x 0..40.
#include "app/glTemplate.h"
#include "terrain/Terrain.h"

#include <gtest/gtest.h>

namespace {

using Terrain::TerrainColour;
using Terrain::TerrainHeight;
using Terrain::TerrainRGB;
using Terrain::TerrainTile;

void ExpectColour(int i, int j, double r, double g, double b)
{
    const TerrainRGB& c = TerrainColour(i, j);
    EXPECT_DOUBLE_EQ(c.Red, r) << "point (" << i << ", " << j << ")";
    EXPECT_DOUBLE_EQ(c.Green, g) << "point (" << i << ", " << j << ")";
    EXPECT_DOUBLE_EQ(c.Blue, b) << "point (" << i << ", " << j << ")";
}

class TerrainBuilt : public ::testing::Test {
protected:
    // The terrain steps of start-up, in their order (the lights, set up
    // between the last two, touch none of the grids).
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

TEST_F(TerrainBuilt, RimStandsAt800AndIsBlack)
{
    for (int k = 0; k <= 19; ++k) {
        for (auto [i, j] : {std::pair{0, k}, std::pair{19, k}, std::pair{k, 0}, std::pair{k, 19}}) {
            EXPECT_DOUBLE_EQ(TerrainHeight(i, j), 800.0) << "point (" << i << ", " << j << ")";
            ExpectColour(i, j, 0.0, 0.0, 0.0);
        }
    }
}

TEST_F(TerrainBuilt, PointsBeyondTheAuthoredGridAreFlat)
{
    // The far row and column that the drawing uses but nobody authors.
    for (int k = 0; k <= 20; ++k) {
        EXPECT_DOUBLE_EQ(TerrainHeight(20, k), 0.0);
        EXPECT_DOUBLE_EQ(TerrainHeight(k, 20), 0.0);
        ExpectColour(20, k, 1.0, 1.0, 1.0);
        ExpectColour(k, 20, 1.0, 1.0, 1.0);
    }
    EXPECT_DOUBLE_EQ(TerrainHeight(30, 30), 0.0);
    ExpectColour(30, 30, 1.0, 1.0, 1.0);
    ExpectColour(40, 40, 1.0, 1.0, 1.0);
    // Outside the pre-fill the colour keeps its zero start.
    EXPECT_DOUBLE_EQ(TerrainHeight(50, 50), 0.0);
    ExpectColour(50, 50, 0.0, 0.0, 0.0);
    ExpectColour(41, 0, 0.0, 0.0, 0.0);
    ExpectColour(0, 41, 0.0, 0.0, 0.0);
    ExpectColour(90, 60, 0.0, 0.0, 0.0);
}

TEST_F(TerrainBuilt, PitIsTheOnlyLandBelowZero)
{
    EXPECT_DOUBLE_EQ(TerrainHeight(8, 9), -216.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(8, 10), -376.0);
    ExpectColour(8, 9, 0.9, 0.0, 0.0);
    ExpectColour(8, 10, 0.9, 0.0, 0.0);

    int below = 0;
    for (int i = 0; i <= 90; ++i)
        for (int j = 0; j <= 60; ++j)
            if (TerrainHeight(i, j) < 0) ++below;
    EXPECT_EQ(below, 2);
}

TEST_F(TerrainBuilt, HighestHillIsAtNineEighteen)
{
    double highest = 0;
    int hi = -1;
    int hj = -1;
    for (int i = 0; i <= 90; ++i)
        for (int j = 0; j <= 60; ++j)
            if (TerrainHeight(i, j) > highest) {
                highest = TerrainHeight(i, j);
                hi = i;
                hj = j;
            }
    EXPECT_EQ(hi, 9);
    EXPECT_EQ(hj, 18);
    EXPECT_DOUBLE_EQ(highest, 1016.0);
}

TEST_F(TerrainBuilt, AuthoredPointsAcrossTheTable)
{
    // One or two from each corner and edge of the tables, decimals included.
    EXPECT_DOUBLE_EQ(TerrainHeight(2, 1), 960.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(16, 1), 720.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(15, 2), 976.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(1, 3), 480.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(14, 3), 88.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(18, 5), 960.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(4, 15), 992.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(11, 17), 984.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(18, 18), 960.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(1, 18), 0.0);
    EXPECT_DOUBLE_EQ(TerrainHeight(10, 10), 0.0);  // under the cathedral

    EXPECT_DOUBLE_EQ(TerrainHeight(8, 8), 0.0);
    ExpectColour(8, 8, 0.4, 0.0, 0.0);
    ExpectColour(13, 3, 0.9, 1.0, 1.0);
    ExpectColour(13, 4, 1.0, 0.0, 0.3);
    ExpectColour(14, 5, 1.0, 0.2, 0.1);
    ExpectColour(11, 17, 0.9, 0.0, 0.1);
    ExpectColour(10, 16, 0.1, 0.0, 0.5);
    ExpectColour(11, 11, 0.9, 0.3, 0.3);
    ExpectColour(18, 11, 0.4, 0.0, 0.1);
    ExpectColour(10, 12, 1.0, 1.0, 1.0);
}

TEST_F(TerrainBuilt, SixtyFourInteriorPointsArePainted)
{
    int painted = 0;
    for (int i = 1; i <= 18; ++i)
        for (int j = 1; j <= 18; ++j) {
            const TerrainRGB& c = TerrainColour(i, j);
            if (c.Red != 1.0 || c.Green != 1.0 || c.Blue != 1.0) ++painted;
        }
    EXPECT_EQ(painted, 64);
}

TEST_F(TerrainBuilt, EveryCellUsesSlotZero)
{
    for (int i = 0; i <= 90; ++i)
        for (int j = 0; j <= 60; ++j) ASSERT_EQ(TerrainTile(i, j), 0) << "cell (" << i << ", " << j << ")";
}

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
            if (i >= 20 || j >= 20) {
                ASSERT_DOUBLE_EQ(TerrainHeight(i, j), 0.5) << "point (" << i << ", " << j << ")";
                ASSERT_DOUBLE_EQ(TerrainColour(i, j).Blue, 0.75) << "point (" << i << ", " << j << ")";
            } else if (TerrainHeight(i, j) == 0.5) {
                ++keptHeights;
            }
        }
    // The interior points the height table leaves at 0.
    EXPECT_EQ(keptHeights, 18 * 18 - 116);
    EXPECT_DOUBLE_EQ(TerrainHeight(10, 10), 0.5);
    EXPECT_DOUBLE_EQ(TerrainColour(10, 12).Red, 0.25);
    Terrain::ResetTerrain();
}

} // namespace
