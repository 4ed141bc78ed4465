// The landscape as start-up builds it and GL receives it, in feedback mode
// under a top-down orthographic view.
#include "GLFixture.h"
#include "gl/BasicGL.h"
#include "gl/BasicWGL.h"
#include "terrain/Terrain.h"
#include "testing/Testing.h"
#include "window/glTemplate.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace {

using Terrain::TerrainColour;
using Terrain::TerrainHeight;

// A cell's corners by texture coordinate (s, t): world position and colour.
using Cell = std::map<std::pair<float, float>, std::array<float, 7>>;

class TerrainDrawing : public ::testing::Test {
protected:
    // The real start-up (pre-fill, build, scale) on grids filled with marks.
    void SetUp() override
    {
        gltest::DropContext();
        TerrainHeight.Fill(1);
        TerrainColour.Fill({0.5, 0.5, 0.5});
        window = gltest::StartShow(gltest::WriteFixtureImages(gltest::TempFolder("terrain")));
        // Straight down from +y: eye (x, y, z) = world (x, -z, y). Unlit.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1100, 1100, -1100, 1100, -1100, 1100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotated(90, 1, 0, 0);
        glDisable(GL_LIGHTING);
    }
    void TearDown() override { Terrain::ResetTerrain(); }

    // GL may split a polygon into triangles: a cell is the run of primitives
    // naming its four corners, keyed by texture corner.
    std::vector<Cell> Capture(std::uint8_t mode = 0)
    {
        std::vector<GLfloat> buffer(1 << 16);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        window->DrawTerrain(mode);
        const GLint used = glRenderMode(GL_RENDER);
        EXPECT_GE(used, 0) << "feedback buffer overflow";
        const auto world = [](float w, float size) { return std::round(-1100 + w / size * 2200); };
        std::vector<Cell> cells;
        for (auto f = buffer.cbegin(); f < buffer.cbegin() + std::max(used, 0);) {
            EXPECT_EQ(*f++, GL_POLYGON_TOKEN);
            const int n = static_cast<int>(*f++);
            if (cells.empty() || cells.back().size() == 4) cells.emplace_back();
            for (int v = 0; v < n; ++v, f += 11)
                cells.back()[{f[7], f[8]}] = {
                    world(f[0], 640), -world(2 * f[2], 2), -world(f[1], 480), f[3], f[4], f[5], f[6]};
        }
        return cells;
    }

    std::unique_ptr<glTemplate> window;
};

// Rows of constant j, i fastest; texture corner (s, t) sits on grid point
// (i + s, j + t) at x = 1000 - 100 p, z = -1000 + 100 q. A slot past the
// texture table skips its bind, keeping the previous one. The pre-fill and
// the scaling cover 0..40 x 0..40 only.
TEST_F(TerrainDrawing, StartUpBuildsTheGridsAndDrawingSendsFourHundredCellsFromThem)
{
    for (auto [i, j, height, grey] : {std::tuple{40, 40, 80.0, 1.0},
                                      {20, 7, 80.0, 1.0},
                                      {41, 0, 1.0, 0.5},
                                      {0, 41, 1.0, 0.5},
                                      {90, 60, 1.0, 0.5},
                                      {19, 7, 800.0, 0.0}})
        EXPECT_TRUE(TerrainHeight(i, j) == height && TerrainColour(i, j).Green == grey) << i << ", " << j;
    Terrain::TerrainTile(18, 19) = 1;
    Terrain::TerrainTile(19, 19) = 21;
    const auto cells = Capture();
    ASSERT_EQ(cells.size(), 400u);
    for (std::size_t c = 0; c < 400; ++c)
        for (const auto& [st, v] : cells[c]) {
            const int p = static_cast<int>(c % 20 + st.first), q = static_cast<int>(c / 20 + st.second);
            const auto& colour = TerrainColour(p, q);
            ASSERT_TRUE(v[0] == 1000 - 100 * p && v[2] == -1000 + 100 * q && v[1] == TerrainHeight(p, q) && v[6] == 1 &&
                        v[3] == GLfloat(colour.Red) && v[4] == GLfloat(colour.Green) && v[5] == GLfloat(colour.Blue))
                << "cell " << c % 20 << ", " << c / 20 << " corner " << st.first << ", " << st.second;
        }

    // Modes 1 and 0 leave the matrix and the argument as they were, the last
    // cell's slot bound and the colour white.
    glTranslated(-29, -5, 205);
    GLdouble before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    for (std::uint8_t mode : {1, 0}) {
        std::uint8_t passed = mode;
        glBindTexture(GL_TEXTURE_2D, 0);
        window->DrawTerrain(passed);
        glGetDoublev(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after) && passed == mode) << int{mode};
    }
    EXPECT_EQ(GLuint(gltest::Integer(GL_TEXTURE_BINDING_2D)), BasicGL::TextureIds(1));
    std::array<GLfloat, 4> current;
    glGetFloatv(GL_CURRENT_COLOR, current.data());
    EXPECT_EQ(current, (std::array<GLfloat, 4>{1, 1, 1, 1}));
    EXPECT_TRUE(Capture(1).empty()) << "mode 1 draws nothing";
    glLoadIdentity();
    glRotated(-90, 1, 0, 0);
    EXPECT_TRUE(Capture().empty()) << "culled from below";
}

} // namespace
