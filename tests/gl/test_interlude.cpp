// The interlude: counters, projection switch, camera hand-back, the state it
// restores and what a frame looks like.
#include "GLFixture.h"
#include "gl/BasicGL.h"
#include "scene/Objects.h"
#include "window/glTemplate.h"

#include <algorithm>
#include <cmath>

namespace {

// The entries that tell glFrustum(-l, l, -t, t, n, 4096) apart; start-up's
// test checks the whole matrix.
void ExpectFrustum(double l, double t, double n)
{
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_TRUE(std::fabs(m[0] - n / l) < 1e-6 && std::fabs(m[5] - n / t) < 1e-6 &&
                std::fabs(m[14] + 8192 * n / (4096 - n)) < 1e-3);
}

class Interlude : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        window.InterludeActive = Runtime::True; // as the frame loop hands over after orbit 1
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
            EXPECT_TRUE(window.InterludeFrame == call && window.InterludeActive == Runtime::True) << call;
            ExpectFrustum(6, 4, 1);
        }
    }
    EXPECT_TRUE(window.InterludeActive == Runtime::False && window.SceneActive == Runtime::True &&
                window.InterludeFrame == 0);
    ExpectFrustum(4, 3, 4);

    window.InterludeActive = Runtime::True;
    window.DisplayTerrain();
    EXPECT_TRUE(window.InterludeFrame == 1 && window.InterludeSpin == 42 && window.InterludeDepth == 1);
    ExpectFrustum(6, 4, 1);
}

TEST_F(Interlude, HandsTheCameraBackByTurnCountKeepingItsYaw)
{
    const struct {
        std::int16_t turn;
        double x, y, z, pitch;
    } rows[] = {{1, 50, -240, 50, -80},     {2, 100, 0, 50, 45}, {3, 100, -200, 400, -20}, {4, -100, -20, 100, 65},
                {5, -100, -200, -100, -90}, {6, 100, 0, 50, 90}, {7, 0, -80, 0, -70},      {0, 0, -80, 0, -70},
                {-1, 0, -80, 0, -70},       {8, 0, -80, 0, -70}};
    BasicGL::CamYaw = 12;
    for (const auto& row : rows) {
        window.TurnCount = row.turn;
        window.InterludeFrame = 199;
        window.DisplayTerrain();
        EXPECT_EQ(
            std::vector<double>({BasicGL::CamX, BasicGL::CamY, BasicGL::CamZ, BasicGL::CamPitch, BasicGL::CamYaw}),
            std::vector<double>({row.x, row.y, row.z, row.pitch, 12}))
            << "TurnCount " << row.turn;
    }
}

// All but the panel colour and texture, which it leaves on purpose.
TEST_F(Interlude, RestoresTheFixedStateOnReturn)
{
    glTranslated(7, -3, 11);
    GLdouble before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    const GLint stackDepth = gltest::Integer(GL_MODELVIEW_STACK_DEPTH);
    window.DisplayTerrain();
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(before, before + 16, after));
    EXPECT_EQ(gltest::Integer(GL_MODELVIEW_STACK_DEPTH), stackDepth);
    EXPECT_EQ(std::vector<GLint>({gltest::Integer(GL_MATRIX_MODE), gltest::Integer(GL_BLEND_SRC),
                                  gltest::Integer(GL_BLEND_DST), gltest::Integer(GL_TEXTURE_BINDING_2D)}),
              std::vector<GLint>(
                  {GL_MODELVIEW, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, static_cast<GLint>(BasicGL::TextureIds(14))}));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_DEPTH_TEST));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_TRUE(colour[0] == 1 && colour[3] == 0.3f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A dim grey panel image, so that light added twice does not saturate; the
// upside-down star leaves the top of the screen empty.
TEST_F(Interlude, FrameIsBlackBetweenPanelsThatAddLight)
{
    const std::vector<std::uint8_t> grey(4 * 4 * 4, 32);
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(14));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey.data());
    window.InitLighting();
    window.SetLights();
    for (GLenum light : {GL_LIGHT1, GL_LIGHT2}) glEnable(light);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.DisplayTerrain();
    const auto once = gltest::Screen();
    window.InterludeFrame = window.InterludeSpin = window.InterludeDepth = window.InterludeReturn = 0;
    window.DisplayTerrain();
    const auto twice = gltest::Screen();
    std::size_t lit = 0, litTwice = 0, red = 0, redTwice = 0;
    for (std::size_t k = 0; k < once.size(); k += 3) {
        lit += once[k] + once[k + 1] + once[k + 2] > 0;
        litTwice += twice[k] + twice[k + 1] + twice[k + 2] > 0;
        red += once[k], redTwice += twice[k];
        ASSERT_TRUE(twice[k] >= once[k] && twice[k + 1] >= once[k + 1] && twice[k + 2] >= once[k + 2])
            << "pixel " << k / 3 << " got darker";
        if (k < 640 * 150 * 3) ASSERT_EQ(once[k] + once[k + 1] + once[k + 2], 0) << "pixel " << k / 3;
    }
    EXPECT_GT(lit, 640u * 480 / 10) << "the panels show";
    EXPECT_LT(lit, 640u * 480 * 9 / 10) << "black away from the panels";
    EXPECT_EQ(litTwice, lit);
    EXPECT_GT(redTwice, red * 17 / 10);
}

} // namespace
