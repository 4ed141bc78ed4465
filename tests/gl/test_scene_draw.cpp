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

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

using feedback::Quad;

std::array<float, 16> Matrix(GLenum which)
{
    std::array<float, 16> m{};
    glGetFloatv(which, m.data());
    return m;
}

GLint Slot(int slot)
{
    return static_cast<GLint>(BasicGL::TextureIds(slot));
}

GLint BoundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

struct Bounds {
    float lo[3] = {1e9f, 1e9f, 1e9f};
    float hi[3] = {-1e9f, -1e9f, -1e9f};
};

Bounds BoundsOf(const std::vector<Quad>& quads, std::size_t first, std::size_t count)
{
    Bounds b;
    for (std::size_t q = first; q < first + count; ++q) {
        for (const auto& v : quads[q]) {
            const float p[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) b.lo[a] = std::min(b.lo[a], p[a]), b.hi[a] = std::max(b.hi[a], p[a]);
        }
    }
    return b;
}

// The window's drawing methods on a fresh context with the show's GL state,
// lists compiled and the modelview at identity, so feedback positions are
// world coordinates.
class SceneDrawTest : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // A white texel in each sky slot: GL applies the texture matrix only to
    // a unit with a complete texture, and the sky's scroll lives there.
    static void GiveTheSkySlotsAnImage()
    {
        const GLubyte white[4] = {255, 255, 255, 255};
        for (int slot : {3, 4}) {
            glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(slot));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    // Feedback views the world along -z, so horizontal faces arrive edge-on
    // with no area; callers turn culling off to keep them.
    glTemplate window;
};

TEST_F(SceneDrawTest, SkyLeavesLitOpaqueWhiteDepthWritesAndSlot3)
{
    glTranslated(1, 2, 3);
    const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);

    window.DrawSky();

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(depthMask, GL_TRUE);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(BoundTexture(), Slot(3));
    std::array<float, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    EXPECT_EQ(colour, (std::array<float, 4>{1, 1, 1, 1}));
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), modelview);
    const std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    EXPECT_EQ(Matrix(GL_TEXTURE_MATRIX), identity);
}

TEST_F(SceneDrawTest, SkyTilesMeetBrightAboveTheCentreWithTheirImageScrolled)
{
    // Lit, the colours would change: the sky must arrive exactly as listed.
    glEnable(GL_LIGHT0);
    glDisable(GL_CULL_FACE);
    GiveTheSkySlotsAnImage();
    const auto quads = feedback::CaptureQuads([&] { window.DrawSky(); });
    ASSERT_EQ(quads.size(), 5u);

    const Bounds sky = BoundsOf(quads, 0, 1);
    EXPECT_FLOAT_EQ(sky.lo[0], -1000);
    EXPECT_FLOAT_EQ(sky.hi[0], 1000);
    EXPECT_NEAR(quads[0][0].a, 0.8, 1e-6);
    EXPECT_FLOAT_EQ(quads[0][0].s, 0) << "the fixed layer does not scroll";

    const std::array<std::array<float, 2>, 4> centres{{{-500, -500}, {500, -500}, {500, 500}, {-500, 500}}};
    const std::array<float, 4> s{0, 0, 1, 1};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(testing::Message() << "tile " << k + 1);
        const auto& tile = quads[k + 1];
        const Bounds b = BoundsOf(quads, k + 1, 1);
        EXPECT_NEAR((b.lo[0] + b.hi[0]) / 2, centres[k][0], 1e-2);
        EXPECT_NEAR((b.lo[2] + b.hi[2]) / 2, centres[k][1], 1e-2);
        EXPECT_NEAR(b.lo[1], 400, 1e-2);
        EXPECT_NEAR(b.hi[1], 400, 1e-2);
        const auto& bright = tile[k];
        EXPECT_NEAR(bright.x, 0, 1e-2);
        EXPECT_NEAR(bright.z, 0, 1e-2);
        EXPECT_FLOAT_EQ(bright.a, 1);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(tile[i].s, s[i] - 0.01, 1e-6) << "corner " << i;
    }
}

TEST_F(SceneDrawTest, SkyScrollComesBackToZeroEvery100Calls)
{
    glDisable(GL_CULL_FACE);
    GiveTheSkySlotsAnImage();
    const auto first = feedback::CaptureQuads([&] { window.DrawSky(); });
    ASSERT_EQ(first.size(), 5u);
    const auto second = feedback::CaptureQuads([&] { window.DrawSky(); });
    EXPECT_NEAR(second[1][0].s, first[1][0].s - 0.01, 1e-6) << "the tiles' image moves each call";
    for (int call = 3; call <= 99; ++call) window.DrawSky();
    EXPECT_NEAR(window.SkyScroll, 0.99, 1e-9);
    window.DrawSky();
    EXPECT_EQ(window.SkyScroll, 0.0);
    const auto again = feedback::CaptureQuads([&] { window.DrawSky(); });
    EXPECT_EQ(window.SkyScroll, 0.01);
    ASSERT_EQ(again.size(), first.size());
    for (std::size_t q = 0; q < first.size(); ++q)
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(feedback::SameVertex(again[q][i], first[q][i])) << again[q][i] << " vs " << first[q][i];
}

// Looking up at the sky: it colours the screen but leaves the depth buffer
// as cleared, so nothing drawn after it is hidden by it.
TEST_F(SceneDrawTest, SkyWritesNoDepth)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1200, 1200, -900, 900, -2000, 2000);
    glMatrixMode(GL_MODELVIEW);
    glRotated(-90, 1, 0, 0);
    glDisable(GL_TEXTURE_2D);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    window.DrawSky();
    GLfloat depth = 0;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
    const auto rgb = gltest::PixelAt(320, 240);
    EXPECT_GT(rgb[0] + rgb[1] + rgb[2], 0) << "the sky should have been drawn";
}

TEST_F(SceneDrawTest, TowersStandAtTheFourCornersInOrder)
{
    const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    const auto quads = feedback::CaptureQuads([&] { window.DrawTowers(); });
    ASSERT_EQ(quads.size(), 40u);
    const std::array<std::array<float, 2>, 4> corners{{{325, 325}, {-325, 325}, {-325, -325}, {325, -325}}};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(testing::Message() << "tower " << k + 1);
        const Bounds b = BoundsOf(quads, 10 * k, 10);
        EXPECT_NEAR(b.lo[0], corners[k][0] - 15, 1e-2);
        EXPECT_NEAR(b.hi[0], corners[k][0] + 15, 1e-2);
        EXPECT_NEAR(b.lo[2], corners[k][1] - 15, 1e-2);
        EXPECT_NEAR(b.hi[2], corners[k][1] + 15, 1e-2);
        EXPECT_NEAR(b.lo[1], 0, 1e-2);
        EXPECT_NEAR(b.hi[1], 70, 1e-2);
    }
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(BoundTexture(), Slot(5));
}

// Each wing's roof is high (80) 20 units out and low (60) 60 units out, on
// its own arm of the cross: +x, -x, +z, -z.
TEST_F(SceneDrawTest, CathedralWingsSlopeDownAwayFromTheCentre)
{
    const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    const auto quads = feedback::CaptureQuads([&] { window.DrawCathedral(); });
    ASSERT_EQ(quads.size(), 10u + 4 * 5 + 11);

    struct Arm {
        int axis;      // 0: x, 2: z
        float sign;
    };
    const std::array<Arm, 4> arms{{{0, 1}, {0, -1}, {2, 1}, {2, -1}}};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(testing::Message() << "wing " << k + 1);
        const Quad& roof = quads[10 + 5 * k + 2];
        for (const auto& v : roof) {
            const float out = (arms[k].axis == 0 ? v.x : v.z) * arms[k].sign;
            const float across = arms[k].axis == 0 ? v.z : v.x;
            EXPECT_NEAR(out, v.y > 70 ? 20 : 60, 1e-2) << v;
            EXPECT_NEAR(std::fabs(across), 20, 1e-2) << v;
        }
        const Bounds b = BoundsOf(quads, 10 + 5 * k, 5);
        EXPECT_NEAR(b.lo[1], 0, 1e-2);
        EXPECT_NEAR(b.hi[1], 80, 1e-2);
    }
    const Bounds cross = BoundsOf(quads, 30, 11);
    EXPECT_NEAR(cross.lo[1], 125, 1e-2);
    EXPECT_NEAR(cross.hi[1], 185, 1e-2);
    EXPECT_NEAR(cross.hi[0], 15, 1e-2);

    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), modelview);
    EXPECT_EQ(BoundTexture(), Slot(5));
}

TEST_F(SceneDrawTest, TitlesBindTheirImageByFrameAndEndAfterFrame351)
{
    window.TitlesActive = Runtime::True;
    const std::array<std::pair<int, int>, 8> slotAfter{
        {{1, 10}, {80, 10}, {81, 11}, {160, 11}, {161, 12}, {250, 12}, {251, 13}, {351, 13}}};
    std::size_t next = 0;
    for (int frame = 1; frame <= 351; ++frame) {
        glBindTexture(GL_TEXTURE_2D, 0);
        window.DrawTittles();
        EXPECT_EQ(window.TitleFrame, frame);
        if (next < slotAfter.size() && slotAfter[next].first == frame) {
            EXPECT_EQ(BoundTexture(), Slot(slotAfter[next].second)) << "frame " << frame;
            ++next;
        }
        if (frame == 350) EXPECT_EQ(window.TitlesActive, Runtime::True);
    }
    EXPECT_EQ(window.TitlesActive, Runtime::False);
}

TEST_F(SceneDrawTest, TitleCubeIsCentredAt0_50_Minus100InARandomTint)
{
    platform::Randomize(1234);
    const float r = platform::Rnd();
    const float g = platform::Rnd();
    const float b = platform::Rnd();
    platform::Randomize(1234);

    const auto modelview = Matrix(GL_MODELVIEW_MATRIX);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    const auto quads = feedback::CaptureQuads([&] { window.DrawTittles(); });
    ASSERT_EQ(quads.size(), 6u);
    const Bounds box = BoundsOf(quads, 0, 6);
    const float centre[3] = {0, 50, -100};
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(box.lo[a], centre[a] - 35, 1e-2) << "axis " << a;
        EXPECT_NEAR(box.hi[a], centre[a] + 35, 1e-2) << "axis " << a;
    }
    std::array<float, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    EXPECT_EQ(colour, (std::array<float, 4>{r, g, b, 1}));
    EXPECT_FLOAT_EQ(quads[0][0].r, r);
    EXPECT_FLOAT_EQ(quads[0][0].b, b);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), modelview);
}

TEST_F(SceneDrawTest, TitlesBindNothingBeforeFrameOneAndStopOnCounterOverflow)
{
    window.TitleFrame = -2;
    glBindTexture(GL_TEXTURE_2D, Slot(4));
    window.DrawTittles();
    EXPECT_EQ(BoundTexture(), Slot(4));

    window.TitleFrame = 32767;
    EXPECT_THROW(window.DrawTittles(), Runtime::RuntimeError);
    EXPECT_EQ(window.TitleFrame, 32767);
}

} // namespace
