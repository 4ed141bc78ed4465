// The scene's display lists: every vertex, normal, texture coordinate and
// colour as captured from GL, the state the lists leave, and which image
// each face shows.
#include "gl/Feedback.h"
#include "gl/GLFixture.h"

#include "gl/BasicGL.h"
#include "scene/Objects.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <vector>

namespace {

using feedback::Quad;

struct Face {
    std::array<float, 3> normal;
    std::array<std::array<float, 3>, 4> corners;
    std::array<std::array<float, 2>, 4> tex;
};

constexpr std::array<std::array<float, 2>, 4> kQuadTex{{{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
constexpr std::array<std::array<float, 2>, 4> kFlatTex{{{0, 0}, {0, 0}, {0, 0}, {0, 0}}};

Face Textured(std::array<float, 3> n, std::array<std::array<float, 3>, 4> v)
{
    return {n, v, kQuadTex};
}

enum Side { Front, Back, Top, Bottom, Right, Left };

// The box faces as the scene's boxes are laid out: counter-clockwise from
// outside, normal outward.
Face Box(Side side, float a, float c, float y0, float y1, bool flat = false)
{
    Face f;
    switch (side) {
    case Front: f = Textured({0, 0, 1}, {{{a, y1, c}, {-a, y1, c}, {-a, y0, c}, {a, y0, c}}}); break;
    case Back: f = Textured({0, 0, -1}, {{{-a, y0, -c}, {-a, y1, -c}, {a, y1, -c}, {a, y0, -c}}}); break;
    case Top: f = Textured({0, 1, 0}, {{{a, y1, c}, {a, y1, -c}, {-a, y1, -c}, {-a, y1, c}}}); break;
    case Bottom: f = Textured({0, -1, 0}, {{{-a, y0, -c}, {a, y0, -c}, {a, y0, c}, {-a, y0, c}}}); break;
    case Right: f = Textured({1, 0, 0}, {{{a, y1, c}, {a, y0, c}, {a, y0, -c}, {a, y1, -c}}}); break;
    case Left: f = Textured({-1, 0, 0}, {{{-a, y0, -c}, {-a, y0, c}, {-a, y1, c}, {-a, y1, -c}}}); break;
    }
    if (flat) f.tex = kFlatTex;
    return f;
}

std::vector<Face> WallBand(float y0, float y1)
{
    return {
        Textured({0, 0, 1}, {{{-325, y0, -325}, {325, y0, -325}, {325, y1, -325}, {-325, y1, -325}}}),
        Textured({0, 0, -1}, {{{325, y1, 325}, {325, y0, 325}, {-325, y0, 325}, {-325, y1, 325}}}),
        Textured({1, 0, 0}, {{{-325, y0, -325}, {-325, y1, -325}, {-325, y1, 325}, {-325, y0, 325}}}),
        Textured({-1, 0, 0}, {{{325, y1, 325}, {325, y1, -325}, {325, y0, -325}, {325, y0, 325}}}),
    };
}

// Vertex by vertex, in order: position, texture coordinate and, where asked
// for, the normal.
void ExpectFaces(const std::vector<Quad>& quads, const std::vector<Face>& faces, bool normals)
{
    ASSERT_EQ(quads.size(), faces.size());
    for (std::size_t q = 0; q < faces.size(); ++q) {
        for (std::size_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(testing::Message() << "face " << q << " vertex " << i << ": " << quads[q][i]);
            const auto& v = quads[q][i];
            EXPECT_NEAR(v.x, faces[q].corners[i][0], 1e-2);
            EXPECT_NEAR(v.y, faces[q].corners[i][1], 1e-2);
            EXPECT_NEAR(v.z, faces[q].corners[i][2], 1e-2);
            EXPECT_FLOAT_EQ(v.s, faces[q].tex[i][0]);
            EXPECT_FLOAT_EQ(v.t, faces[q].tex[i][1]);
            if (normals) {
                EXPECT_NEAR(v.nx, faces[q].normal[0], 1e-4);
                EXPECT_NEAR(v.ny, faces[q].normal[1], 1e-4);
                EXPECT_NEAR(v.nz, faces[q].normal[2], 1e-4);
            }
        }
    }
}

void Call(std::int32_t list)
{
    glCallList(static_cast<GLuint>(list));
}

GLint BoundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

std::array<float, 4> CurrentColour()
{
    std::array<float, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

class ObjectsTest : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp();
        Objects::BuildObjects();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
        glDisable(GL_LIGHTING);
    }
};

TEST_F(ObjectsTest, TakesThirteenDistinctListIds)
{
    const std::set<std::int32_t> ids{Objects::ListWall, Objects::ListWallTop, Objects::ListSky,
        Objects::ListSkyTile1, Objects::ListSkyTile2, Objects::ListSkyTile3, Objects::ListSkyTile4,
        Objects::ListCathedral, Objects::ListCathedralWing, Objects::ListCross, Objects::ListTower,
        Objects::ListTitleCube, Objects::ListPanel};
    EXPECT_EQ(ids.size(), 13u);
    for (auto id : ids) EXPECT_TRUE(glIsList(static_cast<GLuint>(id))) << id;
}

TEST_F(ObjectsTest, PanelFacesPlusZWithItsOwnTextureCorners)
{
    const auto quads = feedback::CaptureQuadsWithNormals([] { Call(Objects::ListPanel); });
    ExpectFaces(quads, {{{0, 0, 1}, {{{100, 80, 0}, {-100, 80, 0}, {-100, -80, 0}, {100, -80, 0}}},
                         {{{0, 1}, {1, 1}, {1, 0}, {0, 0}}}}},
                true);
}

TEST_F(ObjectsTest, SkyIsOneTranslucentQuadThatKeepsTheCurrentNormal)
{
    glNormal3f(1, 0, 0);
    const auto lit = feedback::CaptureQuadsWithNormals([] { Call(Objects::ListSky); });
    ExpectFaces(lit, {Textured({1, 0, 0}, {{{1000, 400, 1000}, {-1000, 400, 1000}, {-1000, 400, -1000}, {1000, 400, -1000}}})},
                true);

    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    const auto quads = feedback::CaptureQuads([] { Call(Objects::ListSky); });
    ASSERT_EQ(quads.size(), 1u);
    for (const auto& v : quads[0]) {
        EXPECT_FLOAT_EQ(v.r, 1);
        EXPECT_FLOAT_EQ(v.g, 1);
        EXPECT_FLOAT_EQ(v.b, 1);
        EXPECT_NEAR(v.a, 0.8, 1e-6);
    }
    EXPECT_NEAR(CurrentColour()[3], 0.8, 1e-6);
}

TEST_F(ObjectsTest, EachSkyTileHasOneBrightCornerAndEndsOnOpaqueWhite)
{
    const std::array<std::int32_t, 4> tiles{Objects::ListSkyTile1, Objects::ListSkyTile2,
                                            Objects::ListSkyTile3, Objects::ListSkyTile4};
    for (std::size_t k = 0; k < 4; ++k) {
        SCOPED_TRACE(testing::Message() << "tile " << k + 1);
        glColor4f(0.5f, 0.25f, 0.75f, 0.5f);
        const auto quads = feedback::CaptureQuads([&] { Call(tiles[k]); });
        ExpectFaces(quads, {Textured({0, 0, 0}, {{{500, 400, 500}, {-500, 400, 500}, {-500, 400, -500}, {500, 400, -500}}})},
                    false);
        ASSERT_EQ(quads.size(), 1u);
        for (std::size_t i = 0; i < 4; ++i) {
            const auto& v = quads[0][i];
            const float bright = i == k ? 1.0f : 0.0f;
            EXPECT_FLOAT_EQ(v.r, bright) << "corner " << i;
            EXPECT_FLOAT_EQ(v.g, bright) << "corner " << i;
            EXPECT_FLOAT_EQ(v.b, bright) << "corner " << i;
            EXPECT_NEAR(v.a, i == k ? 1.0 : 0.3, 1e-6) << "corner " << i;
        }
        EXPECT_EQ(CurrentColour(), (std::array<float, 4>{1, 1, 1, 1}));
    }
}

TEST_F(ObjectsTest, WallBandsDrawUnculledAndLeaveCullingOn)
{
    const std::array<std::int32_t, 2> lists{Objects::ListWall, Objects::ListWallTop};
    const std::array<std::vector<Face>, 2> bands{WallBand(0, 25), WallBand(25, 35)};
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k == 0 ? "ListWall" : "ListWallTop");
        ExpectFaces(feedback::CaptureQuadsWithNormals([&] { Call(lists[k]); }), bands[k], true);

        // With every face culled outside the list, all four still draw.
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT_AND_BACK);
        EXPECT_EQ(feedback::CaptureQuads([&] { Call(lists[k]); }).size(), 4u);
        glCullFace(GL_BACK);

        glDisable(GL_CULL_FACE);
        Call(lists[k]);
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    }
}

// The title cube spans -35..35 on every axis; the buildings stand on their
// base height with no bottom, except the cross's hanging crossbar.
TEST_F(ObjectsTest, BoxListsMatchTheirFaceTables)
{
    const auto stage = [](float a, float c, float y0, float y1, std::initializer_list<Side> sides) {
        std::vector<Face> faces;
        for (Side s : sides) faces.push_back(Box(s, a, c, y0, y1, s == Top || s == Bottom));
        return faces;
    };
    const auto concat = [](std::vector<Face> a, const std::vector<Face>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    std::vector<Face> cube;
    for (Side s : {Front, Back, Top, Bottom, Right, Left}) cube.push_back(Box(s, 35, 35, -35, 35));

    std::vector<Face> cathedral;
    for (auto [a, y0, y1] : {std::array<float, 3>{35, 0, 85}, std::array<float, 3>{25, 85, 125}})
        for (Side s : {Front, Back, Top, Right, Left}) cathedral.push_back(Box(s, a, a, y0, y1));

    const std::vector<Face> wing{
        Textured({0, 0, 1}, {{{20, 60, 20}, {-20, 80, 20}, {-20, 0, 20}, {20, 0, 20}}}),
        Textured({0, 0, -1}, {{{-20, 0, -20}, {-20, 80, -20}, {20, 60, -20}, {20, 0, -20}}}),
        Textured({0, 1, 0}, {{{20, 60, 20}, {20, 60, -20}, {-20, 80, -20}, {-20, 80, 20}}}),
        Textured({1, 0, 0}, {{{20, 60, 20}, {20, 0, 20}, {20, 0, -20}, {20, 60, -20}}}),
        Textured({-1, 0, 0}, {{{-20, 0, -20}, {-20, 0, 20}, {-20, 80, 20}, {-20, 80, -20}}}),
    };

    const auto tower = concat(stage(15, 15, 0, 55, {Front, Back, Top, Right, Left}),
                              stage(10, 10, 55, 70, {Front, Back, Top, Right, Left}));
    const auto cross = concat(stage(4, 4, 125, 185, {Front, Back, Top, Right, Left}),
                              stage(15, 5, 163, 170, {Front, Back, Top, Bottom, Right, Left}));

    const std::vector<std::pair<const char*, std::pair<std::int32_t, std::vector<Face>>>> cases{
        {"ListTitleCube", {Objects::ListTitleCube, cube}},
        {"ListCathedral", {Objects::ListCathedral, cathedral}},
        {"ListCathedralWing", {Objects::ListCathedralWing, wing}},
        {"ListTower", {Objects::ListTower, tower}},
        {"ListCross", {Objects::ListCross, cross}},
    };
    for (const auto& [name, c] : cases) {
        SCOPED_TRACE(name);
        const auto list = c.first;
        ExpectFaces(feedback::CaptureQuadsWithNormals([&] { Call(list); }), c.second, true);
    }
}

TEST_F(ObjectsTest, ListsLeaveTheirLastSlotBound)
{
    const auto slot = [](int s) { return static_cast<GLint>(BasicGL::TextureIds(s)); };
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(10));
    for (auto list : {Objects::ListTitleCube, Objects::ListPanel, Objects::ListSky, Objects::ListWall,
                      Objects::ListWallTop, Objects::ListSkyTile1}) {
        Call(list);
        EXPECT_EQ(BoundTexture(), slot(10)) << "list " << list << " binds nothing";
    }
    Call(Objects::ListCathedral);
    EXPECT_EQ(BoundTexture(), slot(8));
    Call(Objects::ListCathedralWing);
    EXPECT_EQ(BoundTexture(), slot(9));
    Call(Objects::ListTower);
    EXPECT_EQ(BoundTexture(), slot(5));
    glBindTexture(GL_TEXTURE_2D, 0);
    Call(Objects::ListCross);
    EXPECT_EQ(BoundTexture(), slot(5));
}

// Uploads one-texel images of distinct colours into slots 5 to 9 after the
// lists are compiled, then looks at each list from the front (+z), above
// (+y), the right (+x) and the left (-x) under an orthographic view of
// 1.6 pixels a unit, x -200..200 and y -50..250 on screen.
class ObjectsImageTest : public ObjectsTest {
protected:
    enum View { FromFront, FromAbove, FromRight, FromLeft };

    void SetUp() override
    {
        ObjectsTest::SetUp();
        const std::array<std::array<GLubyte, 4>, 5> colours{{
            {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}, {255, 0, 255, 255}}};
        for (int slot = 5; slot <= 9; ++slot) {
            glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(slot));
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         colours[static_cast<std::size_t>(slot - 5)].data());
            slotColour_[slot] = colours[static_cast<std::size_t>(slot - 5)];
        }
        glBindTexture(GL_TEXTURE_2D, 0);
        glViewport(0, 0, 640, 480);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-200, 200, -50, 250, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glColor4f(1, 1, 1, 1);
    }

    void Render(std::int32_t list, View view)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (view == FromAbove) glRotated(90, 1, 0, 0);
        if (view == FromRight) glRotated(-90, 0, 1, 0);
        if (view == FromLeft) glRotated(90, 0, 1, 0);
        Call(list);
    }

    // Checks the pixel at screen-plane point (u, v) shows the given slot.
    void ExpectSlotAt(float u, float v, int slot)
    {
        const int px = static_cast<int>((u + 200) * 1.6f);
        const int py = static_cast<int>((v + 50) * 1.6f);
        const auto rgb = gltest::PixelAt(px, 479 - py);
        const auto& want = slotColour_[slot];
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(rgb[static_cast<std::size_t>(c)], want[static_cast<std::size_t>(c)], 40)
                << "at (" << u << ", " << v << ") channel " << c << ", want slot " << slot;
    }

private:
    std::array<std::array<GLubyte, 4>, 10> slotColour_{};
};

TEST_F(ObjectsImageTest, CathedralShowsWallsRoofsAndUpperStageFromTheirSlots)
{
    Render(Objects::ListCathedral, FromFront);
    ExpectSlotAt(0, 40, 6);
    ExpectSlotAt(0, 100, 8);
    Render(Objects::ListCathedral, FromAbove);
    ExpectSlotAt(0, 0, 7);
    ExpectSlotAt(30, 0, 7);
    Render(Objects::ListCathedral, FromRight);
    ExpectSlotAt(0, 40, 6);
    ExpectSlotAt(0, 100, 8);
    Render(Objects::ListCathedral, FromLeft);
    ExpectSlotAt(0, 40, 6);
    ExpectSlotAt(0, 100, 8);
}

TEST_F(ObjectsImageTest, WingTowerAndCrossShowTheirSlots)
{
    Render(Objects::ListCathedralWing, FromFront);
    ExpectSlotAt(0, 30, 6);
    Render(Objects::ListCathedralWing, FromAbove);
    ExpectSlotAt(0, 0, 7);
    Render(Objects::ListCathedralWing, FromRight);
    ExpectSlotAt(0, 30, 9);
    Render(Objects::ListCathedralWing, FromLeft);
    ExpectSlotAt(0, 30, 9);

    Render(Objects::ListTower, FromFront);
    ExpectSlotAt(0, 30, 5);
    ExpectSlotAt(0, 62, 5);
    Render(Objects::ListCross, FromFront);
    ExpectSlotAt(0, 150, 5);
    ExpectSlotAt(12, 166, 5);
}

TEST_F(ObjectsImageTest, WallShowsFromOutsideThoughItsFrontFacesPointIn)
{
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(6));
    Render(Objects::ListWall, FromFront);
    ExpectSlotAt(0, 10, 6);
}

} // namespace
