// The scene's drawing methods: where they place the lists, the state they
// leave, the sky's scroll and the title cube's images by frame.
#include "gl/BasicGL.h"
#include "gl/Feedback.h"
#include "gl/GLFixture.h"
#include "platform/App.h"
#include "runtime/Runtime.h"
#include "scene/Objects.h"
#include "window/glTemplate.h"

namespace {

template <std::size_t N>
std::array<float, N> Get(GLenum name)
{
    std::array<float, N> values{};
    glGetFloatv(name, values.data());
    return values;
}

GLint Slot(int slot)
{
    return static_cast<GLint>(BasicGL::TextureIds(slot));
}

// Modelview at identity: feedback positions are world coordinates.
class SceneDrawTest : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp(), Objects::BuildObjects(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    }
    glTemplate window;
};

// Looking up: the sky leaves the depth buffer as cleared. Tile k has bright
// corner k at the centre; the tiles' image scrolls 0.01 a call, 100 a cycle.
TEST_F(SceneDrawTest, SkyWritesNoDepthScrollsItsTilesAndLeavesLitOpaqueWhite)
{
    const GLubyte white[4] = {255, 255, 255, 255}; // GL applies the texture matrix to complete textures only
    for (int slot : {3, 4}) {
        glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(slot));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1200, 1200, -900, 900, -2000, 2000);
    glMatrixMode(GL_MODELVIEW);
    glRotated(-90, 1, 0, 0);
    const auto modelview = Get<16>(GL_MODELVIEW_MATRIX);
    glDisable(GL_LIGHTING);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.DrawSky();
    GLfloat depth = 0;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    EXPECT_GT(gltest::PixelAt(320, 240)[0], 0) << "no sky drawn";
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING) && gltest::Integer(GL_DEPTH_WRITEMASK) == GL_TRUE);
    EXPECT_TRUE(gltest::Integer(GL_MATRIX_MODE) == GL_MODELVIEW && gltest::Integer(GL_TEXTURE_BINDING_2D) == Slot(3));
    EXPECT_EQ(Get<4>(GL_CURRENT_COLOR), (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(Get<16>(GL_TEXTURE_MATRIX), (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));

    glLoadIdentity();
    glEnable(GL_LIGHT0); // lit, the colours would change: they must arrive as listed
    glDisable(GL_CULL_FACE);
    const auto second = feedback::CaptureQuads([&] { window.DrawSky(); });
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[0][0].s, 0) << "the fixed layer scrolled";
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& bright = second[k + 1][k];
        EXPECT_TRUE(std::fabs(bright.x) < 1e-2f && std::fabs(bright.z) < 1e-2f && bright.y == 400 && bright.a == 1)
            << k;
        for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(second[k + 1][i].s, (i >= 2) - 0.02, 1e-6) << k;
    }
    for (int call = 3; call <= 99; ++call) window.DrawSky();
    EXPECT_NEAR(window.SkyScroll, 0.99, 1e-9);
    for (int call = 100; call <= 101; ++call) window.DrawSky();
    EXPECT_EQ(feedback::CaptureQuads([&] { window.DrawSky(); }), second);
}

// Towers at the ring's corners in order; each wing's roof is high 20 out and
// low 60 out on its own arm: +x, -x, +z, -z.
TEST_F(SceneDrawTest, TowersAndWingsStandOnTheirCornersAndArms)
{
    const auto modelview = Get<16>(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    const auto towers = feedback::CaptureQuads([&] { window.DrawTowers(); });
    ASSERT_EQ(towers.size(), 40u);
    for (std::size_t k = 0; k < 4; ++k) {
        const float x = k == 0 || k == 3 ? 325 : -325, z = k < 2 ? 325 : -325;
        EXPECT_EQ(feedback::BoundsOf(towers, 10 * k, 10), (feedback::Box{{{x - 15, 0, z - 15}, {x + 15, 70, z + 15}}}))
            << k;
    }
    const auto cathedral = feedback::CaptureQuads([&] { window.DrawCathedral(); });
    ASSERT_EQ(cathedral.size(), 10u + 4 * 5 + 11);
    for (std::size_t k = 0; k < 4; ++k)
        for (const auto& v : cathedral[10 + 5 * k + 2]) { // the roof
            const float out = (k < 2 ? v.x : v.z) * (k % 2 ? -1 : 1), across = k < 2 ? v.z : v.x;
            EXPECT_TRUE(std::fabs(out - (v.y > 70 ? 20 : 60)) < 1e-2f && std::fabs(std::fabs(across) - 20) < 1e-2f)
                << k;
        }
    EXPECT_EQ(feedback::BoundsOf(cathedral, 30, 11)[0][1], 125) << "the cross on top";
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(gltest::Integer(GL_TEXTURE_BINDING_2D), Slot(5));
}

// The cube at (0, 50, -100), tinted by three draws from the one generator,
// red first. No handler: an overflowing frame counter stops the show.
TEST_F(SceneDrawTest, TitlesDrawTheCubeInARandomTintAndChangeImageByFrame)
{
    window.TitleFrame = -2; // before frame 1 nothing is bound
    glBindTexture(GL_TEXTURE_2D, Slot(4));
    window.DrawTittles();
    EXPECT_EQ(gltest::Integer(GL_TEXTURE_BINDING_2D), Slot(4));

    platform::PinRandomSeed(1234);
    platform::Randomize();
    const std::array<float, 4> tint{platform::Rnd(), platform::Rnd(), platform::Rnd(), 1};
    platform::PinRandomSeed(1234);
    platform::Randomize();
    const auto modelview = Get<16>(GL_MODELVIEW_MATRIX);
    for (GLenum cap : {GL_CULL_FACE, GL_LIGHTING}) glDisable(cap);
    window.TitleFrame = 0, window.TitlesActive = Runtime::True;
    const auto cube = feedback::CaptureQuads([&] { window.DrawTittles(); });
    EXPECT_EQ(feedback::BoundsOf(cube, 0, 6), (feedback::Box{{{-35, 15, -135}, {35, 85, -65}}}));
    EXPECT_EQ(Get<4>(GL_CURRENT_COLOR), tint);
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(gltest::Integer(GL_TEXTURE_BINDING_2D), Slot(10));

    for (int frame = 2; frame <= 351; ++frame) {
        EXPECT_EQ(window.TitlesActive, Runtime::True) << frame;
        glBindTexture(GL_TEXTURE_2D, 0);
        window.DrawTittles();
        EXPECT_EQ(gltest::Integer(GL_TEXTURE_BINDING_2D), Slot(frame > 250   ? 13
                                                               : frame > 160 ? 12
                                                               : frame > 80  ? 11
                                                                             : 10))
            << frame;
    }
    EXPECT_TRUE(window.TitleFrame == 351 && window.TitlesActive == Runtime::False);
    window.TitleFrame = 32767;
    EXPECT_THROW(window.DrawTittles(), Runtime::RuntimeError);
    EXPECT_EQ(window.TitleFrame, 32767);
}

} // namespace
