// The three swinging lights: InitLighting, where SetLights puts them frame by
// frame, and the state it leaves.
#include "GLFixture.h"
#include "gl/BasicGL.h"
#include "window/glTemplate.h"

#include <array>
#include <cmath>
#include <numbers>

namespace {

using Vec3 = std::array<double, 3>;

// Rotates v by degrees about axis, right-handed, as glRotate does.
Vec3 Rotate(const Vec3& v, double degrees, Vec3 axis)
{
    const double len = std::hypot(axis[0], axis[1], axis[2]), a = degrees * std::numbers::pi / 180;
    for (double& c : axis) c /= len;
    const double dot = axis[0] * v[0] + axis[1] * v[1] + axis[2] * v[2];
    const Vec3 cross{axis[1] * v[2] - axis[2] * v[1], axis[2] * v[0] - axis[0] * v[2], axis[0] * v[1] - axis[1] * v[0]};
    Vec3 out;
    for (std::size_t k = 0; k < 3; ++k)
        out[k] = v[k] * std::cos(a) + cross[k] * std::sin(a) + axis[k] * dot * (1 - std::cos(a));
    return out;
}

// The light's eye position against want, divided through by w.
void ExpectAt(GLenum light, const Vec3& want, double tolerance = 1e-3)
{
    GLfloat p[4];
    glGetLightfv(light, GL_POSITION, p);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(p[k] / p[3], want[k], tolerance) << "light " << light - GL_LIGHT0;
}

class Lights : public ShowGLTest {
protected:
    void SetUp() override { ShowGLTest::SetUp(), window.InitLighting(); }
    glTemplate window;
};

TEST_F(Lights, InitLightingSwitchesOnOnlyTheGreenLight)
{
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_LIGHT0));
    for (GLenum light = GL_LIGHT1; light <= GL_LIGHT7; ++light) EXPECT_FALSE(glIsEnabled(light)) << light - GL_LIGHT0;
    const GLfloat want[3][2][4] = {
        {{0, 1, 0, 1}, {140, 0, 40, 1}}, {{1, 0, 0, 1}, {0, 0, 0, -1}}, {{0, 0, 1, 1}, {-100, 0, -50, 1}}};
    for (GLenum n = 0; n < 3; ++n)
        for (GLenum what : {GL_DIFFUSE, GL_POSITION}) {
            GLfloat got[4];
            glGetLightfv(GL_LIGHT0 + n, what, got);
            EXPECT_TRUE(std::equal(got, got + 4, want[n][what == GL_POSITION])) << "light " << n;
        }
}

// 5 and 10 degrees a call: round after 72 and 36 calls, back where
// InitLighting put them; the arrays are handed over, never changed.
TEST_F(Lights, EachLightSwingsByItsOwnRotationsAndComesRound)
{
    window.SetLights();
    EXPECT_TRUE(window.LightAngle1 == 5 && window.LightAngle2 == 10);
    ExpectAt(GL_LIGHT0, Rotate(Rotate({140, 0, 40}, 10, {1, 1, 1}), 5, {1, 0, 0}));
    ExpectAt(GL_LIGHT2, Rotate(Rotate({-100, 0, -50}, 10, {0, 0, 1}), 5, {1, 1, 1}));
    EXPECT_TRUE(BasicGL::Light0Position(0) == 140.0f && BasicGL::Light2Position(2) == -50.0f);
    for (int call = 2; call <= 36; ++call) window.SetLights();
    EXPECT_TRUE(window.LightAngle1 == 180 && window.LightAngle2 == 0);
    for (int call = 37; call <= 72; ++call) window.SetLights();
    EXPECT_TRUE(window.LightAngle1 == 0 && window.LightAngle2 == 0);
    ExpectAt(GL_LIGHT0, {140, 0, 40});
    ExpectAt(GL_LIGHT2, {-100, 0, -50});
}

// The red light stays at the world origin under any camera; the modelview
// comes back unchanged and the depth test on, even when an angle overflows
// (that statement is skipped and the lights still move).
TEST_F(Lights, RedLightStaysAtTheOriginAndTheMatrixIsLeftAlone)
{
    glRotated(-45, 1, 0, 0);
    glRotated(-150, 0, 1, 0);
    glTranslated(-29, -5, 205);
    glDisable(GL_DEPTH_TEST);
    GLdouble camera[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);
    window.LightAngle2 = 32767;
    ASSERT_NO_THROW(window.SetLights());
    EXPECT_TRUE(window.LightAngle2 == 32767 && window.LightAngle1 == 5);
    ExpectAt(GL_LIGHT1, {camera[12], camera[13], camera[14]});
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_TRUE(std::equal(camera, camera + 16, after) && glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glLoadIdentity();
    window.SetLights();
    ExpectAt(GL_LIGHT0, Rotate(Rotate({140, 0, 40}, 32767, {1, 1, 1}), 10, {1, 0, 0}), 0.05);
}

} // namespace
