// The scene's drawing methods: where they place the lists, the state they
// leave for what is drawn after them, the sky's scroll cycle and the title
// cube's frame-by-frame images.
#include "app/glTemplate.h"
#include "gl/BasicGL.h"
#include "gl/Feedback.h"
#include "gl/GLFixture.h"
#include "platform/App.h"
#include "runtime/Runtime.h"
#include "scene/Objects.h"

namespace {

template <std::size_t N> std::array<float, N> Get(GLenum name)
{
    std::array<float, N> values{};
    glGetFloatv(name, values.data());
    return values;
}

GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint Slot(int slot) { return static_cast<GLint>(BasicGL::TextureIds(slot)); }

// The lists compiled and the modelview at identity, so feedback positions
// are world coordinates. Feedback looks along -z, so horizontal faces arrive
// edge-on: tests that need them turn culling off.
class SceneDrawTest : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    glTemplate window;
};

// Looking up at the sky: it colours the screen but leaves the depth buffer
// as cleared, so nothing drawn after it is hidden by it. Tile k has its
// bright corner k at the centre; only the tiles' image scrolls, 0.01 a call,
// back to its start every 100 calls.
TEST_F(SceneDrawTest, SkyWritesNoDepthScrollsItsTilesAndLeavesLitOpaqueWhite)
{
    const GLubyte white[4] = {255, 255, 255, 255};   // GL applies the texture matrix to complete textures only
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
    EXPECT_GT(gltest::PixelAt(320, 240)[0], 0) << "the sky should have been drawn";
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), Slot(3));
    EXPECT_EQ(Get<4>(GL_CURRENT_COLOR), (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(Get<16>(GL_TEXTURE_MATRIX), (std::array<float, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));

    glLoadIdentity();
    glEnable(GL_LIGHT0);   // lit, the colours would change: they must arrive as listed
    glDisable(GL_CULL_FACE);
    const auto second = feedback::CaptureQuads([&] { window.DrawSky(); });
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(second[0][0].s, 0) << "the fixed layer does not scroll";
    const float s[4] = {0, 0, 1, 1};
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& bright = second[k + 1][k];
        EXPECT_TRUE(std::fabs(bright.x) < 1e-2f && std::fabs(bright.z) < 1e-2f && bright.y == 400 && bright.a == 1)
            << "tile " << k + 1;
        for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(second[k + 1][i].s, s[i] - 0.02, 1e-6) << "tile " << k + 1;
    }
    for (int call = 3; call <= 99; ++call) window.DrawSky();
    EXPECT_NEAR(window.SkyScroll, 0.99, 1e-9);
    window.DrawSky();
    EXPECT_EQ(window.SkyScroll, 0.0);
    window.DrawSky();
    EXPECT_EQ(feedback::CaptureQuads([&] { window.DrawSky(); }), second);
}

// Towers at the wall ring's corners in order; each wing's roof is high (80)
// 20 units out and low (60) 60 units out on its own arm: +x, -x, +z, -z.
TEST_F(SceneDrawTest, TowersAndWingsStandOnTheirCornersAndArms)
{
    const auto modelview = Get<16>(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    const auto towers = feedback::CaptureQuads([&] { window.DrawTowers(); });
    ASSERT_EQ(towers.size(), 40u);
    const float corners[4][2] = {{325, 325}, {-325, 325}, {-325, -325}, {325, -325}};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(feedback::BoundsOf(towers, 10 * k, 10), (feedback::Box{{{corners[k][0] - 15, 0, corners[k][1] - 15},
                                                                      {corners[k][0] + 15, 70, corners[k][1] + 15}}}))
            << "tower " << k + 1;
    const auto cathedral = feedback::CaptureQuads([&] { window.DrawCathedral(); });
    ASSERT_EQ(cathedral.size(), 10u + 4 * 5 + 11);
    const int axis[4] = {0, 0, 2, 2};
    const float sign[4] = {1, -1, 1, -1};
    for (std::size_t k = 0; k < 4; ++k)
        for (const auto& v : cathedral[10 + 5 * k + 2]) {   // the roof
            const float out = (axis[k] == 0 ? v.x : v.z) * sign[k], across = axis[k] == 0 ? v.z : v.x;
            EXPECT_TRUE(std::fabs(out - (v.y > 70 ? 20 : 60)) < 1e-2f && std::fabs(std::fabs(across) - 20) < 1e-2f)
                << "wing " << k + 1 << " at " << v.x << ", " << v.y << ", " << v.z;
        }
    EXPECT_EQ(feedback::BoundsOf(cathedral, 30, 11)[0][1], 125) << "the cross on top";
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), Slot(5));
}

// Frame 1 draws the cube centred at (0, 50, -100), tinted by three draws
// from the program's one generator, red first. No handler: an overflowing
// frame counter stops the show.
TEST_F(SceneDrawTest, TitlesDrawTheCubeInARandomTintAndChangeImageByFrame)
{
    window.TitleFrame = -2;   // before frame 1 nothing is bound
    glBindTexture(GL_TEXTURE_2D, Slot(4));
    window.DrawTittles();
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), Slot(4));

    platform::Randomize(1234);
    const std::array<float, 4> tint{platform::Rnd(), platform::Rnd(), platform::Rnd(), 1};
    platform::Randomize(1234);
    const auto modelview = Get<16>(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    window.TitleFrame = 0;
    window.TitlesActive = Runtime::True;
    const auto cube = feedback::CaptureQuads([&] { window.DrawTittles(); });
    EXPECT_EQ(feedback::BoundsOf(cube, 0, 6), (feedback::Box{{{-35, 15, -135}, {35, 85, -65}}}));
    EXPECT_EQ(Get<4>(GL_CURRENT_COLOR), tint);
    EXPECT_EQ(Get<16>(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), Slot(10));

    for (int frame = 2; frame <= 351; ++frame) {
        EXPECT_EQ(window.TitlesActive, Runtime::True) << frame;
        glBindTexture(GL_TEXTURE_2D, 0);
        window.DrawTittles();
        const int slot = frame > 250 ? 13 : frame > 160 ? 12 : frame > 80 ? 11 : 10;
        EXPECT_EQ(Integer(GL_TEXTURE_BINDING_2D), Slot(slot)) << frame;
    }
    EXPECT_EQ(window.TitleFrame, 351);
    EXPECT_EQ(window.TitlesActive, Runtime::False);
    window.TitleFrame = 32767;
    EXPECT_THROW(window.DrawTittles(), Runtime::RuntimeError);
    EXPECT_EQ(window.TitleFrame, 32767);
}

} // namespace
