// The landscape as GL receives it: every polygon, vertex, colour and texture
// coordinate captured in feedback mode under a top-down orthographic view.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "GLFixture.h"
#include "terrain/Terrain.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using Terrain::TerrainColour;
using Terrain::TerrainHeight;
using Terrain::TerrainTile;

// A vertex in world coordinates, with the colour and texture coordinate
// GL received for it.
struct SentVertex {
    double x, y, z;
    double r, g, b, a;
    double s, t;
};

// All vertices GL assembled for one cell. GL may hand a polygon back split
// into triangles, so a cell is the run of primitives that together name its
// four corners; each corner is known by its texture coordinate.
using SentCell = std::vector<SentVertex>;

int CornerCount(const SentCell& cell)
{
    std::set<std::pair<double, double>> corners;
    for (const SentVertex& v : cell) corners.insert({v.s, v.t});
    return static_cast<int>(corners.size());
}

const SentVertex& Corner(const SentCell& cell, double s, double t)
{
    for (const SentVertex& v : cell)
        if (v.s == s && v.t == t) return v;
    throw std::runtime_error("corner not sent");
}

constexpr double Extent = 1100;  // half-size of the orthographic box

// Looks straight down on the world from +y: eye x = world x, eye y = -world
// z, eye z = world y. Lighting off, so colours arrive as sent.
void LookDownOnTheWorld(bool fromBelow = false)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-Extent, Extent, -Extent, Extent, -Extent, Extent);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotated(fromBelow ? -90 : 90, 1, 0, 0);
    glDisable(GL_LIGHTING);
}

// Runs draw in feedback mode and turns the window coordinates back into the
// world coordinates of LookDownOnTheWorld().
std::vector<SentCell> CaptureCells(glTemplate& window, std::uint8_t mode)
{
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    window.DrawTerrain(mode);
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";

    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    auto eye = [&](double win, int origin, int size) { return -Extent + (win - origin) / size * 2 * Extent; };

    std::vector<SentCell> cells;
    for (GLint k = 0; k < used;) {
        const auto token = static_cast<GLenum>(buffer[static_cast<std::size_t>(k++)]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int n = static_cast<int>(buffer[static_cast<std::size_t>(k++)]);
        if (cells.empty() || CornerCount(cells.back()) == 4) cells.emplace_back();
        for (int v = 0; v < n; ++v, k += 11) {
            const GLfloat* f = &buffer[static_cast<std::size_t>(k)];
            const double eyeZ = Extent * (1 - 2 * f[2]);
            cells.back().push_back({eye(f[0], vp[0], vp[2]), eyeZ, -eye(f[1], vp[1], vp[3]), f[3], f[4], f[5], f[6],
                               f[7], f[8]});
        }
    }
    return cells;
}

class TerrainDrawing : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        // The grids as start-up builds them.
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; j <= 40; ++j) TerrainColour(i, j) = {1.0, 1.0, 1.0};
        window.InitTerrain();
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; j <= 40; ++j) TerrainHeight(i, j) = TerrainHeight(i, j) * 80.0;
    }
    void TearDown() override { Terrain::ResetTerrain(); }

    // A vertex that stands for grid point (p, q).
    static void ExpectPoint(const SentVertex& v, int p, int q)
    {
        SCOPED_TRACE(::testing::Message() << "point (" << p << ", " << q << ")");
        EXPECT_NEAR(v.x, 1000 - 100 * p, 0.05);
        EXPECT_NEAR(v.z, -1000 + 100 * q, 0.05);
        EXPECT_NEAR(v.y, TerrainHeight(p, q), 0.5);
        EXPECT_NEAR(v.r, static_cast<GLfloat>(TerrainColour(p, q).Red), 1e-6);
        EXPECT_NEAR(v.g, static_cast<GLfloat>(TerrainColour(p, q).Green), 1e-6);
        EXPECT_NEAR(v.b, static_cast<GLfloat>(TerrainColour(p, q).Blue), 1e-6);
        EXPECT_EQ(v.a, 1.0);
    }

    glTemplate window;
};

TEST_F(TerrainDrawing, SendsFourHundredCellsRowByRow)
{
    LookDownOnTheWorld();
    const std::vector<SentCell> cells = CaptureCells(window, 0);
    ASSERT_EQ(cells.size(), 400u);

    // Rows of constant j, i running fastest; texture corner (s, t) sits on
    // grid point (i + s, j + t), so each cell carries the whole image once.
    for (int j = 0; j < 20; ++j) {
        for (int i = 0; i < 20; ++i) {
            const SentCell& cell = cells[static_cast<std::size_t>(j * 20 + i)];
            ASSERT_EQ(CornerCount(cell), 4);
            for (const SentVertex& v : cell) {
                ASSERT_TRUE((v.s == 0 || v.s == 1) && (v.t == 0 || v.t == 1));
                ExpectPoint(v, i + static_cast<int>(v.s), j + static_cast<int>(v.t));
            }
            if (HasFailure()) FAIL() << "first wrong cell (" << i << ", " << j << ")";
        }
    }
}

TEST_F(TerrainDrawing, PitAndEdgesHaveTheirHeights)
{
    LookDownOnTheWorld();
    const std::vector<SentCell> cells = CaptureCells(window, 0);
    ASSERT_EQ(cells.size(), 400u);

    // Cell (8, 9): corners (8, 9), (9, 9), (9, 10), (8, 10).
    const SentCell& pit = cells[9 * 20 + 8];
    EXPECT_NEAR(Corner(pit, 0, 0).y, -216, 0.5);
    EXPECT_NEAR(Corner(pit, 1, 0).y, 0, 0.5);
    EXPECT_NEAR(Corner(pit, 1, 1).y, 0, 0.5);
    EXPECT_NEAR(Corner(pit, 0, 1).y, -376, 0.5);
    EXPECT_NEAR(Corner(pit, 0, 0).x, 200, 0.05);
    EXPECT_NEAR(Corner(pit, 0, 0).z, -100, 0.05);
    EXPECT_NEAR(Corner(pit, 1, 1).r, 0.9, 1e-6);  // (9, 10) is the paler red
    EXPECT_NEAR(Corner(pit, 1, 1).g, 0.3, 1e-6);

    // The +x and -z edges keep the rim height; the far ones slope to 0.
    const SentCell& first = cells[0];  // cell (0, 0)
    EXPECT_NEAR(Corner(first, 0, 0).y, 800, 0.5);
    EXPECT_NEAR(Corner(first, 1, 0).y, 800, 0.5);
    EXPECT_NEAR(Corner(first, 0, 1).y, 800, 0.5);
    EXPECT_NEAR(Corner(first, 1, 1).y, 0, 0.5);
    EXPECT_NEAR(Corner(first, 0, 0).x, 1000, 0.05);
    EXPECT_NEAR(Corner(first, 0, 0).z, -1000, 0.05);
    const SentCell& last = cells[399];  // cell (19, 19)
    EXPECT_NEAR(Corner(last, 0, 0).y, 800, 0.5);
    EXPECT_NEAR(Corner(last, 1, 0).y, 0, 0.5);
    EXPECT_NEAR(Corner(last, 1, 1).y, 0, 0.5);
    EXPECT_NEAR(Corner(last, 0, 1).y, 0, 0.5);
    EXPECT_NEAR(Corner(last, 1, 1).x, -1000, 0.05);
    EXPECT_NEAR(Corner(last, 1, 1).z, 1000, 0.05);
}

TEST_F(TerrainDrawing, CellsFaceUpSoCullingHidesThemFromBelow)
{
    LookDownOnTheWorld(true);
    EXPECT_TRUE(CaptureCells(window, 0).empty());
}

TEST_F(TerrainDrawing, NonZeroModeDrawsNothingAndRestoresTheMatrix)
{
    LookDownOnTheWorld();
    glTranslated(3, 4, 5);
    GLdouble before[16];
    GLdouble after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);

    std::uint8_t mode = 1;
    std::vector<GLfloat> buffer(64);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    window.DrawTerrain(mode);
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);
    EXPECT_EQ(mode, 1);

    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], before[k]) << "element " << k;
}

TEST_F(TerrainDrawing, LeavesMatrixSlotZeroAndWhite)
{
    LookDownOnTheWorld();
    glTranslated(-29, -5, 205);
    GLdouble before[16];
    GLdouble after[16];
    GLint depthBefore = 0;
    GLint depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    std::uint8_t mode = 0;
    window.DrawTerrain(mode);

    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], before[k]) << "element " << k;

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), BasicGL::TextureIds(0));
    EXPECT_NE(BasicGL::TextureIds(0), 0u);

    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(TerrainDrawing, CellWithAnUnknownSlotKeepsThePreviousBinding)
{
    LookDownOnTheWorld();
    TerrainTile(18, 19) = 1;
    TerrainTile(19, 19) = 21;  // one past the texture table

    std::uint8_t mode = 0;
    std::vector<SentCell> cells;
    ASSERT_NO_THROW(cells = CaptureCells(window, mode));
    EXPECT_EQ(cells.size(), 400u);

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), BasicGL::TextureIds(1));

    TerrainTile(19, 19) = 3;
    window.DrawTerrain(mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), BasicGL::TextureIds(3));
}

} // namespace
