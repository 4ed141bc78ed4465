// The interlude: its counters, the projection switch on its first frame and
// back on its 200th, the camera hand-back, the state it restores, and what
// a frame of it looks like.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "GLFixture.h"
#include "scene/Objects.h"

#include <algorithm>
#include <cmath>

namespace {

// The projection matrix against glFrustum's, column by column.
void ExpectFrustum(double l, double r, double b, double t, double n, double f)
{
    const double want[16] = {2 * n / (r - l), 0, 0, 0, 0, 2 * n / (t - b), 0, 0, (r + l) / (r - l),
                             (t + b) / (t - b), -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    for (std::size_t k = 0; k < 16; ++k) EXPECT_NEAR(m[k], want[k], 1e-6 * (1 + std::fabs(want[k]))) << k;
}

class Interlude : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        window.InterludeActive = Runtime::True;   // as the frame loop hands over after orbit 1
        window.SceneActive = Runtime::False;
        window.TurnCount = 1;
    }
    glTemplate window;
};

// The depth climbs to 50 and back to 0 twice; the 200th call restores the
// normal projection and hands back to the scene; the next interlude starts
// 40 degrees further round.
TEST_F(Interlude, TwoHundredFramesThroughTheWideProjectionThenBack)
{
    for (int call = 1; call <= 200; ++call) {
        window.DisplayTerrain();
        EXPECT_EQ(window.InterludeDepth, 50 - std::abs(50 - call % 100)) << call;
        EXPECT_EQ(window.InterludeReturn, call % 100 >= 50) << call;
        if (call == 1 || call == 199) {
            EXPECT_EQ(window.InterludeFrame, call);
            EXPECT_EQ(window.InterludeActive, Runtime::True);
            ExpectFrustum(-6, 6, -4, 4, 1, 4096);
        }
    }
    EXPECT_EQ(window.InterludeActive, Runtime::False);
    EXPECT_EQ(window.SceneActive, Runtime::True);
    EXPECT_EQ(window.InterludeFrame, 0);
    ExpectFrustum(-4, 4, -3, 3, 4, 4096);

    window.InterludeActive = Runtime::True;
    window.DisplayTerrain();
    EXPECT_EQ(window.InterludeFrame, 1);
    EXPECT_EQ(window.InterludeSpin, 42);
    EXPECT_EQ(window.InterludeDepth, 1);
    ExpectFrustum(-6, 6, -4, 4, 1, 4096);
}

TEST_F(Interlude, HandsTheCameraBackByTurnCountKeepingItsYaw)
{
    const struct {
        std::int16_t turn;
        double x, y, z, pitch;
    } rows[] = {{1, 50, -240, 50, -80},   {2, 100, 0, 50, 45},  {3, 100, -200, 400, -20}, {4, -100, -20, 100, 65},
                {5, -100, -200, -100, -90}, {6, 100, 0, 50, 90}, {7, 0, -80, 0, -70},     {0, 0, -80, 0, -70},
                {-1, 0, -80, 0, -70},      {8, 0, -80, 0, -70}};
    BasicGL::CamYaw = 12;
    for (const auto& row : rows) {
        window.TurnCount = row.turn;
        window.InterludeFrame = 199;
        window.DisplayTerrain();
        EXPECT_EQ(std::vector<double>({BasicGL::CamX, BasicGL::CamY, BasicGL::CamZ, BasicGL::CamPitch, BasicGL::CamYaw}),
                  std::vector<double>({row.x, row.y, row.z, row.pitch, 12}))
            << "TurnCount " << row.turn;
    }
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// All but the panel colour and texture, which it leaves on purpose.
TEST_F(Interlude, RestoresTheFixedStateOnReturn)
{
    glTranslated(7, -3, 11);
    GLdouble before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    const GLint stackDepth = Integer(GL_MODELVIEW_STACK_DEPTH);
    window.DisplayTerrain();
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after));
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), stackDepth);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(BasicGL::TextureIds(14)));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1 && colour[3] == 0.3f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// With a one-triangle stand-in for the panel, centred on the panel's origin,
// feedback shows how many panels are drawn (culling or not) and how far
// from the eye the star's centre lies.
TEST_F(Interlude, StarLiesSixtyUnitsPlusDepthAwayWithAllEightPanels)
{
    Objects::ListPanel = static_cast<std::int32_t>(glGenLists(1));
    glNewList(static_cast<GLuint>(Objects::ListPanel), GL_COMPILE);
    glBegin(GL_TRIANGLES);
    glVertex3f(-10, -10, 0);
    glVertex3f(10, -10, 0);
    glVertex3f(0, 20, 0);
    glEnd();
    glEndList();
    window.InterludeFrame = 5;   // mid-interlude: the projection is left alone
    window.InterludeDepth = 49;   // turns to 50 in this call
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, -200, 200, -200, 200);
    glMatrixMode(GL_MODELVIEW);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    window.DisplayTerrain();
    ASSERT_EQ(glRenderMode(GL_RENDER), 8 * 11) << "eight triangles";
    for (std::size_t k = 0; k < 8 * 11; k += 11) {
        double centre[3] = {0, 0, 0};
        for (std::size_t v = k + 2; v < k + 11; v += 3) {
            centre[0] += (-200 + buffer[v] / 640 * 400) / 3;
            centre[1] += (-200 + buffer[v + 1] / 480 * 400) / 3;
            centre[2] += 200 * (1 - 2 * buffer[v + 2]) / 3;
        }
        EXPECT_NEAR(std::hypot(centre[0], centre[1], centre[2]), 110, 0.05) << "panel " << k / 11;
    }
}

// The first frame as the loop draws it, camera zeroed, with a dim grey panel
// image so that light added twice does not saturate: black away from the
// panels (the star, upside down, leaves the top of the screen empty), and
// drawn again on top, the lit pixels get brighter and the black stay black.
TEST_F(Interlude, FrameIsBlackBetweenPanelsThatAddLight)
{
    const std::vector<std::uint8_t> grey(4 * 4 * 4, 32);
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(14));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey.data());
    window.InitLighting();
    window.SetLights();
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.DisplayTerrain();
    const auto once = gltest::Screen();
    window.InterludeFrame = window.InterludeSpin = window.InterludeDepth = window.InterludeReturn = 0;
    window.DisplayTerrain();
    const auto twice = gltest::Screen();

    std::size_t lit = 0, litTwice = 0;
    long red = 0, redTwice = 0;
    for (std::size_t k = 0; k < once.size(); k += 3) {
        lit += once[k] + once[k + 1] + once[k + 2] > 0;
        litTwice += twice[k] + twice[k + 1] + twice[k + 2] > 0;
        red += once[k], redTwice += twice[k];
        ASSERT_TRUE(twice[k] >= once[k] && twice[k + 1] >= once[k + 1] && twice[k + 2] >= once[k + 2]) << "pixel " << k / 3 << " got darker";
        if (k < 640 * 150 * 3) ASSERT_EQ(once[k] + once[k + 1] + once[k + 2], 0) << "pixel " << k / 3;
    }
    EXPECT_GT(lit, 640u * 480 / 10) << "the panels show";
    EXPECT_LT(lit, 640u * 480 * 9 / 10) << "black away from the panels";
    EXPECT_EQ(litTwice, lit);
    EXPECT_GT(redTwice, red * 17 / 10);
}

} // namespace
