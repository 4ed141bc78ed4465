// Mesa's store (gles::EmulateMesaBlending): the renderer's own arithmetic
// must give exactly what the driver's blending stores into the RGB565
// framebuffer. On this machine the driver is llvmpipe itself, so the two
// can be compared bit for bit: every colour, alpha and framebuffer value for
// both blends the show uses, and whole scenes with the mode on and off.
#include "Harness.h"
#include "SceneParts.h"
#include "Scenes.h"

#include "gles/Enums.h"
#include "gles/Gles.h"

#include <GLES3/gl3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace glestest {
namespace {

// Draws body with the renderer, the mode on; checks that it is on and that
// the ES context's own blending then stays off.
std::vector<std::uint8_t> DrawWithMesaStore(const Body& body)
{
    return DrawWithRenderer([&](const glapi::Gl11& gl) {
        EXPECT_TRUE(gles::EmulateMesaBlending(true));
        body(gl);
        gles::Flush();
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "the ES context blended";
    });
}

// The first pixel where a and b differ, for the failure message.
std::string FirstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    for (std::size_t k = 0; k < a.size() && k < b.size(); ++k)
        if (a[k] != b[k]) {
            const std::size_t pixel = k / 3;
            return "first at (" + std::to_string(pixel % Width) + ", " + std::to_string(pixel / Width) + "), channel " +
                   std::to_string(k % 3) + ": " + std::to_string(a[k]) + " against " + std::to_string(b[k]);
        }
    return "none";
}

void ExpectSame(const std::vector<std::uint8_t>& driver, const std::vector<std::uint8_t>& ours, const std::string& what)
{
    const Difference d = Compare(driver, ours);
    EXPECT_EQ(d.differing, 0) << what << ": " << 100 * d.differing << "% of pixels differ, "
                              << FirstDifference(driver, ours) << "; frames written to "
                              << WriteFrames(what, driver, ours);
}

// One pixel-aligned rectangle, x0 <= x < x1, y0 <= y < y1 from the bottom.
void Rectangle(const glapi::Gl11& gl, int x0, int y0, int x1, int y1)
{
    const auto x = [](int p) { return 2.0f * static_cast<float>(p) / Width - 1; };
    const auto y = [](int p) { return 2.0f * static_cast<float>(p) / Height - 1; };
    gl.Vertex3f(x(x0), y(y0), 0);
    gl.Vertex3f(x(x1), y(y0), 0);
    gl.Vertex3f(x(x1), y(y1), 0);
    gl.Vertex3f(x(x0), y(y1), 0);
}

constexpr int Bands = Height / 64;

// Every framebuffer value under every source of a table: bands of 64 rows,
// row r of each holding red and blue r % 32 and green r (written exactly,
// unblended), then one column of a source colour and alpha over each band.
void DrawTable(const glapi::Gl11& gl, unsigned source, unsigned destination, int frame,
               void (*colour)(int index, float& c, float& a))
{
    gl.ShadeModel(gles::glenum::Flat);
    gl.Disable(GL_BLEND);
    gl.Begin(gles::glenum::Quads);
    for (int y = 0; y < Bands * 64; ++y) {
        const int r = y % 64;
        gl.Color3f(static_cast<float>(r % 32) / 31, static_cast<float>(r) / 63, static_cast<float>(r % 32) / 31);
        Rectangle(gl, 0, y, Width, y + 1);
    }
    gl.End();
    gl.Enable(GL_BLEND);
    gl.BlendFunc(source, destination);
    gl.Begin(gles::glenum::Quads);
    for (int band = 0; band < Bands; ++band)
        for (int x = 0; x < Width; ++x) {
            float c = 0, a = 0;
            colour((frame * Bands + band) * Width + x, c, a);
            // Red, green and blue each meet the source differently.
            gl.Color4f(c, std::fmod(c + 0.37f, 1.0f), 1 - c, a);
            Rectangle(gl, x, 64 * band, x + 1, 64 * band + 64);
        }
    gl.End();
}

void ExpectTableSame(unsigned source, unsigned destination, int frames, void (*colour)(int, float&, float&),
                     const char* name)
{
    for (int frame = 0; frame < frames; ++frame) {
        const auto draw = [&](const glapi::Gl11& gl) { DrawTable(gl, source, destination, frame, colour); };
        const auto driver = DrawWithDriver(draw);
        ExpectSame(driver, DrawWithMesaStore(draw), std::string(name) + "-" + std::to_string(frame));
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(MesaStore, AddsAsTheDriverForEverySourceAndFramebufferValue)
{
    // Eight sources between each two 8-bit values, and each side of every
    // value halfway between two.
    ExpectTableSame(
        GL_ONE, GL_ONE, 2,
        [](int k, float& c, float& a) {
            a = 1;
            if (k < 2048) {
                c = static_cast<float>(k) / 2040;
                return;
            }
            const int n = (k - 2048) / 3;
            c = std::fmin(1.0f, (static_cast<float>(n % 256) + 0.5f) / 255);
            c = std::nextafter(c, (k - 2048) % 3 == 0 ? 0.0f : (k - 2048) % 3 == 1 ? c : 1.0f);
        },
        "add");
}

TEST(MesaStore, MixesByAlphaAsTheDriverForEveryColourAlphaAndFramebufferValue)
{
    // All 256 x 256 colours and alphas in 8 bits: 15 frames of 4480.
    ExpectTableSame(
        GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, 15,
        [](int k, float& c, float& a) {
            c = static_cast<float>(k % 256) / 255;
            a = static_cast<float>(std::min(k / 256, 255)) / 255;
        },
        "mix");
}

TEST(MesaStore, StoresUnblendedColoursAsTheDriver)
{
    ExpectTableSame(
        GL_ONE, GL_ZERO, 1,
        [](int k, float& c, float& a) {
            c = static_cast<float>(k) / 4479;
            a = 0.5f;
        },
        "replace");
}

// Primitives that overlap within one draw and within one list, from
// gradients, textures with alpha and lit colours, the interlude's way and
// the titles'.
void DrawOverlaps(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto names = MakeTextures(gl);
    gl.Disable(GL_CULL_FACE);
    // Gouraud quads, all in one glBegin, each over the last.
    gl.Begin(gles::glenum::Quads);
    for (int k = 0; k < 12; ++k) {
        const float x = -200.0f + 25.0f * static_cast<float>(k), z = -300.0f;
        gl.Color4f(1, 0.2f, 0.1f * static_cast<float>(k % 10), 0.4f);
        gl.Vertex3f(x, -60, z);
        gl.Color4f(0.1f, 0.9f, 0.5f, 0.9f);
        gl.Vertex3f(x + 120, -60, z);
        gl.Color4f(0.3f, 0.3f, 1, 0.1f);
        gl.Vertex3f(x + 120, 60, z);
        gl.Color4f(1, 1, 1, 0.6f);
        gl.Vertex3f(x, 60, z);
    }
    gl.End();
    // A list of two overlapping panels, called eight times turned, added.
    const unsigned list = gl.GenLists(1);
    gl.NewList(list, gles::glenum::Compile);
    gl.Begin(gles::glenum::Quads);
    for (float depth : {0.0f, 15.0f}) {
        gl.TexCoord2f(0, 0);
        gl.Vertex3f(-70, -50, depth);
        gl.TexCoord2f(1, 0);
        gl.Vertex3f(70, -50, depth);
        gl.TexCoord2f(1, 1);
        gl.Vertex3f(70, 50, depth);
        gl.TexCoord2f(0, 1);
        gl.Vertex3f(-70, 50, depth);
    }
    gl.End();
    gl.EndList();
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, names[0]);
    gl.BlendFunc(GL_ONE, GL_ONE);
    gl.Disable(GL_DEPTH_TEST);
    gl.Color4f(1, 1, 1, 0.3f);
    gl.PushMatrix();
    gl.Translated(100, 40, -260);
    gl.Rotated(30, 1, 0, 1);
    for (int panel = 0; panel < 8; ++panel) {
        gl.Rotated(45, 0, 1, 0);
        gl.CallList(list);
    }
    gl.PopMatrix();
    gl.Enable(GL_DEPTH_TEST);
    // The RGBA texture's transparent black over all of it, lit.
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.BindTexture(GL_TEXTURE_2D, names[1]);
    PlaceLights(gl, 20);
    gl.Color4f(0.9f, 0.8f, 0.7f, 1);
    gl.PushMatrix();
    gl.Translated(0, 0, -250);
    for (int k = 0; k < 3; ++k) {
        gl.Rotated(25, 0, 0, 1);
        TexturedSquare(gl, 90, 2);
    }
    gl.PopMatrix();
}

TEST(MesaStore, OverlappingPrimitivesEachReadWhatTheOthersLeft)
{
    const auto driver = DrawWithRenderer(DrawOverlaps);
    ExpectSame(driver, DrawWithMesaStore(DrawOverlaps), "overlaps");
    // And the driver's own fixed function agrees as closely as it always does.
    const Difference d = Compare(DrawWithDriver(DrawOverlaps), driver);
    EXPECT_LE(d.beyondStep, 0.005);
}

// Quads in one glBegin that the store may draw together or must not: two
// overlapping by one column of pixels, added; a grid in perspective whose
// cells share their edges, translucent over a gradient.
void DrawNeighbours(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    gl.Disable(GL_CULL_FACE);
    gl.Disable(GL_DEPTH_TEST);
    gl.ShadeModel(gles::glenum::Smooth);
    gl.MatrixMode(GL_PROJECTION);
    gl.PushMatrix();
    gl.LoadIdentity();
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();
    gl.LoadIdentity();
    gl.BlendFunc(GL_ONE, GL_ONE);
    gl.Begin(gles::glenum::Quads);
    for (int k = 0; k < 3; ++k) {
        gl.Color4f(0.3f, 0.2f + 0.1f * static_cast<float>(k), 0.25f, 1);
        Rectangle(gl, 20 + 99 * k, 20, 120 + 99 * k, 120);
    }
    gl.End();
    gl.PopMatrix();
    gl.MatrixMode(GL_PROJECTION);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.PushMatrix();
    gl.Translated(0, -20, -200);
    gl.Rotated(60, 1, 0, 0);
    gl.Rotated(20, 0, 0, 1);
    gl.Begin(gles::glenum::Quads);
    for (int i = -6; i < 6; ++i)
        for (int j = -6; j < 6; ++j) {
            const float x = 23.0f * static_cast<float>(i), y = 23.0f * static_cast<float>(j);
            gl.Color4f(0.9f, 0.5f, 0.2f, 0.45f + 0.04f * static_cast<float>((i + j + 12) % 8));
            gl.Vertex3f(x, y, 0);
            gl.Color4f(0.2f, 0.8f, 0.4f, 0.5f);
            gl.Vertex3f(x + 23, y, 0);
            gl.Color4f(0.3f, 0.3f, 0.9f, 0.6f);
            gl.Vertex3f(x + 23, y + 23, 0);
            gl.Color4f(0.7f, 0.7f, 0.7f, 0.4f);
            gl.Vertex3f(x, y + 23, 0);
        }
    gl.End();
    gl.PopMatrix();
}

TEST(MesaStore, NeighboursDrawnTogetherStoreAsOneAfterAnother)
{
    const auto driver = DrawWithRenderer(DrawNeighbours);
    ExpectSame(driver, DrawWithMesaStore(DrawNeighbours), "neighbours");
}

// Opaque bands of colour, unblended, for what follows to read.
void DrawBands(const glapi::Gl11& gl)
{
    gl.Disable(GL_BLEND);
    gl.Begin(gles::glenum::Quads);
    for (int k = 0; k < 8; ++k) {
        gl.Color3f(0.1f * static_cast<float>(k), 0.8f - 0.1f * static_cast<float>(k), 0.5f);
        Rectangle(gl, 0, 60 * k, Width, 60 * k + 60);
    }
    gl.End();
}

// The sky tiles' way: a list whose vertices carry their own colours, a
// bright opaque corner and translucent black ones, called under an opaque
// current colour with an RGB texture; only the vertices say it is
// translucent.
void DrawListWithVertexAlpha(const glapi::Gl11& gl)
{
    const auto names = MakeTextures(gl);
    DrawBands(gl);
    const unsigned list = gl.GenLists(1);
    gl.NewList(list, gles::glenum::Compile);
    gl.Begin(gles::glenum::Quads);
    const float x[4] = {-0.6f, 0.5f, 0.6f, -0.5f}, y[4] = {-0.7f, -0.6f, 0.7f, 0.6f};
    for (int k = 0; k < 4; ++k) {
        if (k == 0)
            gl.Color4f(1, 1, 1, 1);
        else
            gl.Color4f(0, 0, 0, 0.3f);
        gl.TexCoord2f(k == 1 || k == 2 ? 1.0f : 0.0f, k >= 2 ? 1.0f : 0.0f);
        gl.Vertex3f(x[k], y[k], 0);
    }
    gl.End();
    gl.Color4f(1, 1, 1, 1);
    gl.EndList();
    gl.Enable(GL_TEXTURE_2D);
    gl.BindTexture(GL_TEXTURE_2D, names[0]);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.Color4f(1, 1, 1, 1);
    gl.CallList(list);
}

// Translucent quads over the bands with blending switched on, off and on
// again between them, nothing else changing: each stores as its own state.
void DrawBlendSwitches(const glapi::Gl11& gl)
{
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    DrawBands(gl);
    for (int k = 0; k < 3; ++k) {
        gl.Enable(GL_BLEND);
        gl.Color4f(0.9f, 0.3f, 0.1f * static_cast<float>(k), 0.4f);
        gl.Begin(gles::glenum::Quads);
        Rectangle(gl, 40 + 180 * k, 40, 180 + 180 * k, 440);
        gl.End();
        gl.Disable(GL_BLEND);
        gl.Color4f(0.2f, 0.7f, 0.1f * static_cast<float>(k), 0.4f);
        gl.Begin(gles::glenum::Quads);
        Rectangle(gl, 130 + 180 * k, 100, 200 + 180 * k, 380);
        gl.End();
    }
}

TEST(MesaStore, StoresAsTheStateOfEachDraw)
{
    const struct {
        const char* name;
        void (*draw)(const glapi::Gl11&);
    } cases[] = {{"list-vertex-alpha", DrawListWithVertexAlpha}, {"blend-switches", DrawBlendSwitches}};
    for (const auto& c : cases) ExpectSame(DrawWithRenderer(c.draw), DrawWithMesaStore(c.draw), c.name);
}

class SceneWithMesaStore : public ::testing::TestWithParam<Scene> {};

TEST_P(SceneWithMesaStore, StoresWhatTheDriversBlendingStores)
{
    const Scene& scene = GetParam();
    ExpectSame(DrawWithRenderer(scene.draw), DrawWithMesaStore(scene.draw), std::string(scene.name) + "-mesa");
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneWithMesaStore, ::testing::ValuesIn(ListScenes()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MesaStore, StaysOffForAFramebufferOtherThanRgb565)
{
    DrawWithRenderer([](const glapi::Gl11&) {
        GLuint buffer = 0, framebuffer = 0, previous = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, reinterpret_cast<GLint*>(&previous));
        glGenRenderbuffers(1, &buffer);
        glBindRenderbuffer(GL_RENDERBUFFER, buffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 64);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffer);
        EXPECT_FALSE(gles::EmulateMesaBlending(true));
        glBindFramebuffer(GL_FRAMEBUFFER, previous);
        EXPECT_TRUE(gles::EmulateMesaBlending(true));
        EXPECT_FALSE(gles::EmulateMesaBlending(false));
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &buffer);
    });
}

} // namespace
} // namespace glestest
