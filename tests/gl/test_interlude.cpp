// The interlude: its counters, the projection switch on its first frame and
// back on its 200th, the camera hand-back, the state it restores, and what
// a frame of it looks like.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "GLFixture.h"
#include "scene/Objects.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// glFrustum's matrix, column by column.
std::array<double, 16> FrustumMatrix(double l, double r, double b, double t, double n, double f)
{
    return {2 * n / (r - l), 0, 0, 0,
            0, 2 * n / (t - b), 0, 0,
            (r + l) / (r - l), (t + b) / (t - b), -(f + n) / (f - n), -1,
            0, 0, -2 * f * n / (f - n), 0};
}

void ExpectProjection(const std::array<double, 16>& want)
{
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    for (std::size_t k = 0; k < 16; ++k) EXPECT_NEAR(m[k], want[k], 1e-6 * (1 + std::fabs(want[k]))) << "element " << k;
}

const auto WideProjection = FrustumMatrix(-6, 6, -4, 4, 1, 4096);
const auto NormalProjection = FrustumMatrix(-4, 4, -3, 3, 4, 4096);

class Interlude : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        // As the frame loop hands over: the orbit just ended.
        window.InterludeActive = Runtime::True;
        window.SceneActive = Runtime::False;
        window.TurnCount = 1;
    }

    glTemplate window;
};

TEST_F(Interlude, FirstCallSwitchesToTheWideProjection)
{
    window.DisplayTerrain();

    EXPECT_EQ(window.InterludeFrame, 1);
    EXPECT_EQ(window.InterludeSpin, 2);
    EXPECT_EQ(window.InterludeDepth, 1);
    EXPECT_EQ(window.InterludeReturn, 0);
    ExpectProjection(WideProjection);
    EXPECT_EQ(window.InterludeActive, Runtime::True);
    EXPECT_EQ(window.SceneActive, Runtime::False);
}

TEST_F(Interlude, RestoresTheFixedStateOnReturn)
{
    glTranslated(7, -3, 11);
    GLdouble before[16];
    GLdouble after[16];
    GLint depthBefore = 0;
    GLint depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    window.DisplayTerrain();

    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], before[k]) << "element " << k;

    GLint value = 0;
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);

    // What it leaves on purpose: the panel colour and texture.
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1);
    EXPECT_FLOAT_EQ(colour[3], 0.3f);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), BasicGL::TextureIds(14));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Interlude, DepthSwingsOutAndBackTwicePerInterlude)
{
    std::vector<int> depth(201);
    std::vector<int> turning(201);
    for (int call = 1; call <= 200; ++call) {
        if (call == 200) {
            EXPECT_EQ(window.InterludeFrame, 199);
            ExpectProjection(WideProjection);
        }
        window.DisplayTerrain();
        depth[static_cast<std::size_t>(call)] = window.InterludeDepth;
        turning[static_cast<std::size_t>(call)] = window.InterludeReturn;
    }
    EXPECT_EQ(depth[49], 49);
    EXPECT_EQ(turning[49], 0);
    EXPECT_EQ(depth[50], 50);
    EXPECT_EQ(turning[50], 1);
    EXPECT_EQ(depth[51], 49);
    EXPECT_EQ(depth[100], 0);
    EXPECT_EQ(turning[100], 0);
    EXPECT_EQ(depth[101], 1);
    EXPECT_EQ(depth[150], 50);
    EXPECT_EQ(depth[200], 0);
    EXPECT_EQ(turning[200], 0);
    EXPECT_EQ(window.InterludeSpin, 40);
}

TEST_F(Interlude, TwoHundredthCallHandsBackToTheScene)
{
    window.TurnCount = 3;
    BasicGL::CamYaw = 12;
    for (int call = 1; call <= 200; ++call) window.DisplayTerrain();

    EXPECT_EQ(window.InterludeActive, Runtime::False);
    EXPECT_EQ(window.SceneActive, Runtime::True);
    EXPECT_EQ(window.InterludeFrame, 0);
    ExpectProjection(NormalProjection);
    EXPECT_EQ(BasicGL::CamX, 100);
    EXPECT_EQ(BasicGL::CamY, -200);
    EXPECT_EQ(BasicGL::CamZ, 400);
    EXPECT_EQ(BasicGL::CamPitch, -20);
    EXPECT_EQ(BasicGL::CamYaw, 12);

    // The next interlude starts 40 degrees further round, at depth 1.
    window.InterludeActive = Runtime::True;
    window.SceneActive = Runtime::False;
    window.DisplayTerrain();
    EXPECT_EQ(window.InterludeFrame, 1);
    EXPECT_EQ(window.InterludeSpin, 42);
    EXPECT_EQ(window.InterludeDepth, 1);
    ExpectProjection(WideProjection);
}

TEST_F(Interlude, CameraPlacementByTurnCount)
{
    struct Row {
        std::int16_t turn;
        double x, y, z, pitch;
    };
    const Row rows[] = {
        {1, 50, -240, 50, -80},   {2, 100, 0, 50, 45},       {3, 100, -200, 400, -20},
        {4, -100, -20, 100, 65},  {5, -100, -200, -100, -90}, {6, 100, 0, 50, 90},
        {7, 0, -80, 0, -70},      {0, 0, -80, 0, -70},       {-1, 0, -80, 0, -70},
        {8, 0, -80, 0, -70},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "TurnCount " << row.turn);
        window.TurnCount = row.turn;
        window.InterludeFrame = 199;
        window.DisplayTerrain();
        EXPECT_EQ(BasicGL::CamX, row.x);
        EXPECT_EQ(BasicGL::CamY, row.y);
        EXPECT_EQ(BasicGL::CamZ, row.z);
        EXPECT_EQ(BasicGL::CamPitch, row.pitch);
    }
}

// A stand-in panel: one triangle whose centroid is the panel's origin, so
// feedback shows where the star's centre lies and how many panels were
// drawn, culling or not.
GLuint CompileMarkerPanel()
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    glVertex3f(-10, -10, 0);
    glVertex3f(10, -10, 0);
    glVertex3f(0, 20, 0);
    glEnd();
    glEndList();
    return list;
}

TEST_F(Interlude, StarLiesSixtyUnitsPlusDepthAwayWithAllEightPanels)
{
    Objects::ListPanel = static_cast<std::int32_t>(CompileMarkerPanel());

    for (int depthBefore : {0, 49, 20}) {
        SCOPED_TRACE(::testing::Message() << "depth before the call " << depthBefore);
        window.InterludeFrame = 5;  // mid-interlude: the projection is left alone
        window.InterludeDepth = static_cast<std::int16_t>(depthBefore);
        window.InterludeReturn = 0;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-200, 200, -200, 200, -200, 200);
        glMatrixMode(GL_MODELVIEW);

        std::vector<GLfloat> buffer(4096);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        window.DisplayTerrain();
        const GLint used = glRenderMode(GL_RENDER);

        int panels = 0;
        for (GLint k = 0; k < used; ++panels) {
            ASSERT_EQ(buffer[static_cast<std::size_t>(k)], GL_POLYGON_TOKEN);
            ASSERT_EQ(buffer[static_cast<std::size_t>(k + 1)], 3);
            double centre[3] = {0, 0, 0};
            for (int v = 0; v < 3; ++v) {
                const GLfloat* f = &buffer[static_cast<std::size_t>(k + 2 + 3 * v)];
                centre[0] += (-200 + f[0] / 640 * 400) / 3;
                centre[1] += (-200 + f[1] / 480 * 400) / 3;
                centre[2] += 200 * (1 - 2 * f[2]) / 3;
            }
            const double distance = std::sqrt(centre[0] * centre[0] + centre[1] * centre[1] + centre[2] * centre[2]);
            EXPECT_NEAR(distance, 60 + depthBefore + 1, 0.05);
            k += 2 + 9;
        }
        EXPECT_EQ(panels, 8);
    }
}

// Counts the pixels of the screen that are not black, and sums the red.
struct Light {
    int litPixels = 0;
    long redSum = 0;
};

Light Measure(const std::vector<std::uint8_t>& rgb)
{
    Light light;
    for (std::size_t k = 0; k < rgb.size(); k += 3) {
        if (rgb[k] != 0 || rgb[k + 1] != 0 || rgb[k + 2] != 0) ++light.litPixels;
        light.redSum += rgb[k];
    }
    return light;
}

TEST_F(Interlude, FrameIsBlackBetweenPanelsThatAddLight)
{
    // A dim grey image for the panels, so that light added twice does not
    // saturate.
    const std::vector<std::uint8_t> grey(4 * 4 * 4, 32);
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(14));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey.data());
    glBindTexture(GL_TEXTURE_2D, 0);

    // The first interlude frame as the loop draws it, the camera zeroed.
    window.InitLighting();
    window.SetLights();
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.DisplayTerrain();
    const std::vector<std::uint8_t> once = gltest::Screen();
    const Light first = Measure(once);

    const int all = 640 * 480;
    EXPECT_GT(first.litPixels, all / 10) << "the panels show";
    EXPECT_LT(first.litPixels, all * 9 / 10) << "black away from the panels";
    // Turned upside down, the star fills the lower half of the view and
    // leaves the top of the screen black.
    for (std::size_t k = 0; k < 640 * 150 * 3; ++k) ASSERT_EQ(once[k], 0) << "pixel " << k / 3;

    // The same frame drawn again on top: additive, so the lit pixels get
    // brighter while the black ones stay black.
    window.InterludeFrame = 0;
    window.InterludeSpin = 0;
    window.InterludeDepth = 0;
    window.InterludeReturn = 0;
    window.DisplayTerrain();
    const std::vector<std::uint8_t> twice = gltest::Screen();
    const Light second = Measure(twice);
    EXPECT_EQ(second.litPixels, first.litPixels);
    EXPECT_GT(second.redSum, first.redSum * 17 / 10);
    for (std::size_t k = 0; k < once.size(); ++k)
        ASSERT_GE(twice[k], once[k]) << "byte " << k << " got darker";
}

} // namespace
