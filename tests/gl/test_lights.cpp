// The three swinging lights: what InitLighting switches on, where SetLights
// puts each light frame by frame, and the state it leaves behind.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "GLFixture.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <numbers>

namespace {

using Vec3 = std::array<double, 3>;

// A right-handed rotation by degrees about an axis, as glRotate defines it.
Vec3 Rotate(const Vec3& v, double degrees, Vec3 axis)
{
    const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    for (double& c : axis) c /= len;
    const double a = degrees * std::numbers::pi / 180;
    const double cosA = std::cos(a);
    const double sinA = std::sin(a);
    const double dot = axis[0] * v[0] + axis[1] * v[1] + axis[2] * v[2];
    const Vec3 cross = {axis[1] * v[2] - axis[2] * v[1], axis[2] * v[0] - axis[0] * v[2],
                        axis[0] * v[1] - axis[1] * v[0]};
    Vec3 out;
    for (int k = 0; k < 3; ++k) out[k] = v[k] * cosA + cross[k] * sinA + axis[k] * dot * (1 - cosA);
    return out;
}

// The light's position in eye coordinates, divided through by w.
Vec3 EyePosition(GLenum light)
{
    GLfloat p[4];
    glGetLightfv(light, GL_POSITION, p);
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
}

void ExpectNear(const Vec3& got, const Vec3& want, double tolerance = 1e-3)
{
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tolerance) << "component " << k;
}

class Lights : public ShowGLTest {
protected:
    glTemplate window;
};

TEST_F(Lights, InitLightingSwitchesOnOnlyTheGreenLight)
{
    window.InitLighting();

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    for (GLenum light = GL_LIGHT1; light <= GL_LIGHT7; ++light)
        EXPECT_FALSE(glIsEnabled(light)) << "light " << light - GL_LIGHT0;

    const std::array<std::array<GLfloat, 4>, 3> diffuse = {{{0, 1, 0, 1}, {1, 0, 0, 1}, {0, 0, 1, 1}}};
    const std::array<std::array<GLfloat, 4>, 3> position = {{{140, 0, 40, 1}, {0, 0, 0, -1}, {-100, 0, -50, 1}}};
    for (GLenum n = 0; n < 3; ++n) {
        GLfloat d[4];
        GLfloat p[4];
        glGetLightfv(GL_LIGHT0 + n, GL_DIFFUSE, d);
        glGetLightfv(GL_LIGHT0 + n, GL_POSITION, p);
        for (std::size_t k = 0; k < 4; ++k) {
            EXPECT_EQ(d[k], diffuse[n][k]) << "light " << n << " diffuse " << k;
            EXPECT_EQ(p[k], position[n][k]) << "light " << n << " position " << k;
        }
    }
    // Only diffuse and position are set: the specular keeps GL's default.
    GLfloat specular[4];
    glGetLightfv(GL_LIGHT1, GL_SPECULAR, specular);
    EXPECT_EQ(specular[0], 0.0f);
}

TEST_F(Lights, FirstCallSwingsEachLightByItsOwnRotations)
{
    window.InitLighting();
    window.SetLights();
    EXPECT_EQ(window.LightAngle1, 5);
    EXPECT_EQ(window.LightAngle2, 10);

    ExpectNear(EyePosition(GL_LIGHT0), Rotate(Rotate({140, 0, 40}, 10, {1, 1, 1}), 5, {1, 0, 0}));
    ExpectNear(EyePosition(GL_LIGHT1), {0, 0, 0});
    ExpectNear(EyePosition(GL_LIGHT2), Rotate(Rotate({-100, 0, -50}, 10, {0, 0, 1}), 5, {1, 1, 1}));

    // The arrays are handed over, never changed.
    EXPECT_EQ(BasicGL::Light0Position(0), 140.0f);
    EXPECT_EQ(BasicGL::Light2Position(2), -50.0f);
}

TEST_F(Lights, AnglesComeRoundAfterSeventyTwoAndThirtySixCalls)
{
    window.InitLighting();
    for (int call = 1; call <= 35; ++call) window.SetLights();
    EXPECT_EQ(window.LightAngle2, 350);
    window.SetLights();
    EXPECT_EQ(window.LightAngle1, 180);
    EXPECT_EQ(window.LightAngle2, 0);

    for (int call = 37; call <= 71; ++call) window.SetLights();
    EXPECT_EQ(window.LightAngle1, 355);
    window.SetLights();
    EXPECT_EQ(window.LightAngle1, 0);
    EXPECT_EQ(window.LightAngle2, 0);

    // Both angles at 0: every light is back where InitLighting put it.
    ExpectNear(EyePosition(GL_LIGHT0), {140, 0, 40});
    ExpectNear(EyePosition(GL_LIGHT2), {-100, 0, -50});
}

TEST_F(Lights, RedLightStaysAtTheWorldOriginUnderTheCamera)
{
    window.InitLighting();
    glRotated(-45, 1, 0, 0);
    glRotated(-150, 0, 1, 0);
    glTranslated(-29, -5, 205);
    GLdouble camera[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);

    for (int call = 0; call < 7; ++call) {
        window.SetLights();
        // The camera maps the world origin to its last column.
        ExpectNear(EyePosition(GL_LIGHT1), {camera[12], camera[13], camera[14]});
    }
}

TEST_F(Lights, LeavesTheMatrixAloneAndDepthTestOn)
{
    window.InitLighting();
    glTranslated(1, 2, 3);
    glDisable(GL_DEPTH_TEST);
    GLdouble before[16];
    GLdouble after[16];
    GLint depthBefore = 0;
    GLint depthAfter = 0;
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

    window.SetLights();

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(after[k], before[k]) << "element " << k;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Lights, AnOverflowingAngleIsSkippedAndTheLightsStillMove)
{
    window.InitLighting();
    window.LightAngle2 = 32767;
    ASSERT_NO_THROW(window.SetLights());
    EXPECT_EQ(window.LightAngle2, 32767);
    EXPECT_EQ(window.LightAngle1, 5);
    ExpectNear(EyePosition(GL_LIGHT0), Rotate(Rotate({140, 0, 40}, 32767, {1, 1, 1}), 5, {1, 0, 0}), 0.05);
}

} // namespace
