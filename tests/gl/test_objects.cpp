// The scene's display lists as GL receives them: faces, colours, the state
// they leave and the image each face shows.
#include "gl/Feedback.h"
#include "gl/GLFixture.h"

#include "gl/BasicGL.h"
#include "scene/Objects.h"

#include <string>

namespace {

using namespace Objects;

void Call(std::int32_t list)
{
    glCallList(static_cast<GLuint>(list));
}

class ObjectsTest : public ShowGLTest {
protected:
    void SetUp() override
    {
        ShowGLTest::SetUp(), BuildObjects(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
        for (GLenum cap : {GL_CULL_FACE, GL_LIGHTING}) glDisable(cap);
    }
};

// Faces by their normal: F/B +z/-z, T/D +y/-y, R/L +x/-x; each winds
// counter-clockwise from its normal's side through texture corners (0,0)
// (0,1) (1,1) (1,0), but for the single-texel tops of tower and cross.
TEST_F(ObjectsTest, ListsSendTheirFacesInOrderWoundAlongTheirNormals)
{
    const struct {
        const char* name;
        std::int32_t list;
        std::string faces;
        bool flatTops;
        feedback::Vertex first;
        std::array<float, 3> lo, hi;
    } cases[] = {
        {"cube", ListTitleCube, "FBTDRL", false, {35, 35, 35}, {-35, -35, -35}, {35, 35, 35}},
        {"cathedral", ListCathedral, "FBTRLFBTRL", false, {35, 85, 35}, {-35, 0, -35}, {35, 125, 35}},
        {"wing", ListCathedralWing, "FBTRL", false, {20, 60, 20}, {-20, 0, -20}, {20, 80, 20}},
        {"tower", ListTower, "FBTRLFBTRL", true, {15, 55, 15}, {-15, 0, -15}, {15, 70, 15}},
        {"cross", ListCross, "FBTRLFBTDRL", true, {4, 185, 4}, {-15, 125, -5}, {15, 185, 5}},
        {"wall", ListWall, "FBRL", false, {-325, 0, -325}, {-325, 0, -325}, {325, 25, 325}},
        {"wall top", ListWallTop, "FBRL", false, {-325, 25, -325}, {-325, 25, -325}, {325, 35, 325}},
        {"panel", ListPanel, "F", false, {100, 80, 0}, {-100, -80, 0}, {100, 80, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto quads = feedback::CaptureQuadsWithNormals([&] { Call(c.list); });
        ASSERT_EQ(quads.size(), c.faces.size());
        std::string faces;
        for (const auto& q : quads) {
            const auto& n = q[0];
            faces += n.nz > 0.99f    ? 'F'
                     : n.nz < -0.99f ? 'B'
                     : n.ny > 0.99f  ? 'T'
                     : n.ny < -0.99f ? 'D'
                     : n.nx > 0.99f  ? 'R'
                     : n.nx < -0.99f ? 'L'
                                     : '?';
            const float u[3] = {q[1].x - q[0].x, q[1].y - q[0].y, q[1].z - q[0].z};
            const float w[3] = {q[2].x - q[0].x, q[2].y - q[0].y, q[2].z - q[0].z};
            const float cross[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            const float length = std::hypot(cross[0], cross[1], cross[2]);
            EXPECT_GT((cross[0] * n.nx + cross[1] * n.ny + cross[2] * n.nz) / length, 0.85f) << "face " << faces;
            const bool flat = c.flatTops && (faces.back() == 'T' || faces.back() == 'D');
            const float s[4] = {0, 0, 1, 1}, t[4] = {0, 1, 1, 0};
            for (std::size_t i = 0; i < 4 && c.list != ListPanel; ++i)
                EXPECT_TRUE(q[i].s == (flat ? 0 : s[i]) && q[i].t == (flat ? 0 : t[i])) << "face " << faces;
        }
        EXPECT_EQ(faces, c.faces);
        EXPECT_TRUE(quads[0][0].x == c.first.x && quads[0][0].y == c.first.y && quads[0][0].z == c.first.z);
        const auto box = feedback::BoundsOf(quads, 0, quads.size());
        EXPECT_EQ(box[0], c.lo);
        EXPECT_EQ(box[1], c.hi);
    }
    const auto panel = feedback::CaptureQuads([] { Call(ListPanel); });
    EXPECT_TRUE(panel[0][0].s == 0 && panel[0][0].t == 1 && panel[0][2].s == 1 && panel[0][2].t == 0);
}

// The sky keeps the current normal and is white at 0.8 alpha; each tile is
// bright at one corner, dim and translucent elsewhere.
TEST_F(ObjectsTest, SkyColoursAndTheColourTheyLeave)
{
    glNormal3f(1, 0, 0);
    const auto sky = feedback::CaptureQuadsWithNormals([] { Call(ListSky); });
    ASSERT_EQ(sky.size(), 1u);
    EXPECT_NEAR(sky[0][2].nx, 1, 1e-4);
    EXPECT_EQ(feedback::BoundsOf(sky, 0, 1)[0], (std::array<float, 3>{-1000, 400, -1000}));
    const auto plain = feedback::CaptureQuads([] { Call(ListSky); });
    EXPECT_TRUE(plain[0][3].r == 1 && plain[0][3].b == 1 && std::fabs(plain[0][3].a - 0.8f) < 1e-6f);

    const std::int32_t tiles[] = {ListSkyTile1, ListSkyTile2, ListSkyTile3, ListSkyTile4};
    for (std::size_t k = 0; k < 4; ++k) {
        glColor4f(0.5f, 0.25f, 0.75f, 0.5f);
        const auto quads = feedback::CaptureQuads([&] { Call(tiles[k]); });
        ASSERT_EQ(quads.size(), 1u);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(quads[0][i].r == (i == k) && quads[0][i].g == (i == k) &&
                        std::fabs(quads[0][i].a - (i == k ? 1 : 0.3f)) < 1e-6f)
                << "tile " << k + 1 << " corner " << i;
    }
}

TEST_F(ObjectsTest, WallBandsDrawUnculledAndLeaveCullingOn)
{
    for (auto list : {ListWall, ListWallTop}) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT_AND_BACK);
        EXPECT_EQ(feedback::CaptureQuads([&] { Call(list); }).size(), 4u);
        glDisable(GL_CULL_FACE);
        Call(list);
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    }
    glCullFace(GL_BACK);
}

// One-texel images go into slots 5 to 9 after the lists are compiled (the
// lists bind names, not images), seen under an ortho view x -200..200, y -50..250.
TEST_F(ObjectsTest, FacesShowTheImagesOfTheirSlots)
{
    const GLubyte colours[5][4] = {
        {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 0, 255}, {255, 0, 255, 255}};
    for (int slot = 5; slot <= 9; ++slot) {
        glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(slot));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colours[slot - 5]);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-200, 200, -50, 250, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    for (GLenum cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_TEXTURE_2D}) glEnable(cap);
    glColor4f(1, 1, 1, 1);
    // Rotations about x then y: front (0, 0), above (90, 0), right (0, -90), left (0, 90).
    const struct {
        std::int32_t list;
        double x, y;
        float u, v;
        int slot;
    } cases[] = {
        {ListCathedral, 0, 0, 0, 40, 6},   {ListCathedral, 0, 0, 0, 100, 8},    {ListCathedral, 90, 0, 30, 0, 7},
        {ListCathedral, 0, 90, 0, 100, 8}, {ListCathedralWing, 90, 0, 0, 0, 7}, {ListCathedralWing, 0, -90, 0, 30, 9},
        {ListTower, 0, 0, 0, 62, 5},       {ListCross, 0, 0, 12, 166, 5},
    };
    for (const auto& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotated(c.x, 1, 0, 0);
        glRotated(c.y, 0, 1, 0);
        Call(c.list);
        const auto rgb =
            gltest::PixelAt(static_cast<int>((c.u + 200) * 1.6f), 479 - static_cast<int>((c.v + 50) * 1.6f));
        for (std::size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(rgb[k], colours[c.slot - 5][k], 40) << "list " << c.list << " at " << c.u << ", " << c.v;
    }
}

} // namespace
