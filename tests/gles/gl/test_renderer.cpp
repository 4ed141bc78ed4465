// The renderer on its own: the shader's lighting against the reference
// equation, errors that name the call, and matrices equal to the driver's.
#include "Harness.h"

#include "gles/Enums.h"
#include "gles/Gles.h"
#include "gles/Lighting.h"
#include "gles/Matrix.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace glestest {
namespace {

// One glLightfv made under the case's frame.
struct Setting {
    int light;
    unsigned pname;
    std::array<float, 4> value;
};

// Lights placed under a frame (a translation, then a rotation), a colour
// material mode, and vertices to light: eye position, normal, colour.
struct LightingCase {
    const char* name;
    std::array<double, 3> translation;
    std::array<double, 4> rotation;
    std::vector<Setting> settings;
    unsigned colorMaterialMode;
    std::vector<std::array<std::array<float, 4>, 3>> vertices;
};

std::vector<LightingCase> MakeLightingCases()
{
    const std::vector<std::array<std::array<float, 4>, 3>> vertices = {
        {{{0, 0, -200}, {0, 0, 1}, {0.8f, 0.6f, 0.4f, 1}}},
        {{{60, -40, -150}, {0.6f, 0.8f, 0}, {0.3f, 0.9f, 0.7f, 0.5f}}},
        {{{-70, 30, -300}, {-0.48f, 0.6f, 0.64f}, {1, 1, 1, 1}}},
        {{{20, 50, -120}, {0, -0.6f, -0.8f}, {0.9f, 0.2f, 0.6f, 1}}},
    };
    return {
        {"the show's lights",
         {10, -20, -150},
         {40, 1, 1, 1},
         {{0, GL_DIFFUSE, {0, 1, 0, 1}},
          {0, GL_POSITION, {140, 0, 40, 1}},
          {1, GL_DIFFUSE, {1, 0, 0, 1}},
          {1, GL_POSITION, {0, 0, 0, -1}},
          {2, GL_DIFFUSE, {0, 0, 1, 1}},
          {2, GL_POSITION, {0.3f, 0.8f, 0.5f, 0}}},
         GL_AMBIENT_AND_DIFFUSE,
         vertices},
        {"an attenuated spotlight",
         {0, 0, 0},
         {30, 0, 1, 0},
         {{3, GL_DIFFUSE, {1, 0.8f, 0.6f, 1}},
          {3, GL_AMBIENT, {0.3f, 0.2f, 0.1f, 1}},
          {3, GL_POSITION, {0, 80, -150, 1}},
          {3, GL_SPOT_DIRECTION, {0, -1, -0.2f, 0}},
          {3, GL_SPOT_CUTOFF, {60, 0, 0, 0}},
          {3, GL_SPOT_EXPONENT, {3, 0, 0, 0}},
          {3, GL_CONSTANT_ATTENUATION, {0.5f, 0, 0, 0}},
          {3, GL_LINEAR_ATTENUATION, {0.004f, 0, 0, 0}},
          {3, GL_QUADRATIC_ATTENUATION, {0.00002f, 0, 0, 0}}},
         GL_AMBIENT_AND_DIFFUSE,
         vertices},
        {"light 0's defaults and a specular colour", {0, 0, 0}, {0, 0, 0, 1}, {}, GL_SPECULAR, vertices},
        {"an emissive colour",
         {0, 0, 0},
         {0, 0, 0, 1},
         {{5, GL_DIFFUSE, {0.5f, 0.5f, 1, 1}}, {5, GL_POSITION, {-1, 1, 1, 0}}},
         GL_EMISSION,
         vertices},
    };
}

// The RGB a flat-shaded triangle shows when its last vertex is v: the
// shader's lit colour of v, as the framebuffer holds it.
std::array<int, 3> ReadShadedColour(const LightingCase& c, const std::array<std::array<float, 4>, 3>& v)
{
    const auto frame = DrawWithRenderer([&](const glapi::Gl11& gl) {
        gl.MatrixMode(GL_PROJECTION);
        gl.Frustum(-1, 1, -0.75, 0.75, 1, 1000);
        gl.MatrixMode(GL_MODELVIEW);
        gl.Translated(c.translation[0], c.translation[1], c.translation[2]);
        gl.Rotated(c.rotation[0], c.rotation[1], c.rotation[2], c.rotation[3]);
        for (const Setting& s : c.settings) {
            gl.Lightfv(GL_LIGHT0 + static_cast<unsigned>(s.light), s.pname, s.value.data());
            gl.Enable(GL_LIGHT0 + static_cast<unsigned>(s.light));
        }
        if (c.settings.empty()) gl.Enable(GL_LIGHT0);
        gl.LoadIdentity();
        gl.ColorMaterial(GL_FRONT, c.colorMaterialMode);
        gl.Enable(GL_COLOR_MATERIAL);
        gl.Enable(GL_LIGHTING);
        gl.ShadeModel(GL_FLAT);
        gl.Normal3f(v[1][0], v[1][1], v[1][2]);
        gl.Color4f(v[2][0], v[2][1], v[2][2], v[2][3]);
        const float s = 0.05f * -v[0][2];
        gl.Begin(GL_TRIANGLES);
        gl.Vertex3f(v[0][0] - s, v[0][1] - s, v[0][2]);
        gl.Vertex3f(v[0][0] + s, v[0][1] - s, v[0][2]);
        gl.Vertex3f(v[0][0], v[0][1], v[0][2]);
        gl.End();
    });
    // The middle of the triangle, on the screen (top row first).
    const double x = v[0][0] / -v[0][2], y = (v[0][1] - 0.6 * 0.05 * -v[0][2]) / -v[0][2] / 0.75;
    const int column = static_cast<int>((x + 1) / 2 * Width), row = Height - 1 - static_cast<int>((y + 1) / 2 * Height);
    const std::size_t at = (static_cast<std::size_t>(row) * Width + static_cast<std::size_t>(column)) * 3;
    return {frame[at], frame[at + 1], frame[at + 2]};
}

std::array<double, 4> ComputeReferenceColour(const LightingCase& c, const std::array<std::array<float, 4>, 3>& v)
{
    std::array<gles::Light, 8> lights;
    for (std::size_t i = 0; i < lights.size(); ++i) lights[i] = gles::MakeDefaultLight(static_cast<int>(i));
    gles::Matrix frame = gles::MakeIdentityMatrix();
    gles::Translate(frame, c.translation[0], c.translation[1], c.translation[2]);
    gles::Rotate(frame, c.rotation[0], c.rotation[1], c.rotation[2], c.rotation[3]);
    for (const Setting& s : c.settings) {
        gles::SetLightParameter(lights[static_cast<std::size_t>(s.light)], s.pname, s.value.data(), frame);
        lights[static_cast<std::size_t>(s.light)].enabled = true;
    }
    if (c.settings.empty()) lights[0].enabled = true;
    const gles::Material material =
        gles::TrackColor(gles::Material{}, gles::GetColorMaterialProperties(GL_FRONT, c.colorMaterialMode), v[2]);
    return gles::ComputeLitColor(lights, gles::LightModel{}, material, {v[0][0], v[0][1], v[0][2]},
                                 {v[1][0], v[1][1], v[1][2]});
}

// Within one 5/6/5 step of the reference: a missing or wrong term is far more.
TEST(RendererLighting, ShaderFollowsTheReferenceEquation)
{
    for (const LightingCase& c : MakeLightingCases())
        for (const auto& v : c.vertices) {
            const auto got = ReadShadedColour(c, v);
            const auto want = ComputeReferenceColour(c, v);
            for (std::size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(got[k], want[k] * 255, 9)
                    << c.name << ", vertex at (" << v[0][0] << ", " << v[0][1] << ", " << v[0][2] << "), channel " << k;
        }
}

void ExpectError(const std::function<void()>& call, const std::string& message)
{
    try {
        call();
        ADD_FAILURE() << "no error; expected: " << message;
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
}

TEST(RendererErrors, CallsOutsideTheSubsetAndGLErrorsNameTheCall)
{
    DrawWithRenderer([](const glapi::Gl11& gl) {
        ExpectError([&] { gl.Enable(0x0B60); }, "GL renderer: glEnable(0x0B60) is not supported");
        ExpectError([&] { gl.Begin(GL_LINES); }, "GL renderer: glBegin(0x0001) is not supported");
        ExpectError([&] { gl.End(); }, "GL renderer: glEnd without glBegin");
        ExpectError([&] { gl.PopMatrix(); }, "GL renderer: glPopMatrix underflows the modelview matrix stack");
        ExpectError([&] { gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP); },
                    "GL renderer: glTexParameteri(GL_TEXTURE_WRAP)(0x2900) is not supported");
        ExpectError([&] { gl.NewList(gl.GenLists(1), GL_COMPILE_AND_EXECUTE); },
                    "GL renderer: glNewList(0x1301) is not supported");
        gl.Begin(GL_QUADS);
        ExpectError([&] { gl.Enable(GL_BLEND); }, "GL renderer: glEnable between glBegin and glEnd");
        gl.End();
        // A list compiles what it is given; the error comes when it runs.
        const GLuint list = gl.GenLists(1);
        gl.NewList(list, GL_COMPILE);
        gl.Disable(GL_FOG);
        gl.EndList();
        ExpectError([&] { gl.CallList(list); }, "GL renderer: glDisable(0x0B60) is not supported");
        gl.MatrixMode(GL_PROJECTION);
        for (int k = 1; k < 32; ++k) gl.PushMatrix();
        ExpectError([&] { gl.PushMatrix(); },
                    "GL renderer: glPushMatrix overflows the projection matrix stack (32 deep)");
    });
    ExpectError([] { gles::Table().Begin(GL_QUADS); }, "GL renderer: a GL call with no current context");
}

TEST(RendererErrors, AnEsErrorIsReportedByTheFlushThatChecks)
{
    DrawWithRenderer([](const glapi::Gl11&) {
        gles::CheckErrorsEvery(3);
        glEnable(GL_FOG); // not in ES: GL_INVALID_ENUM
        gles::Flush();
        gles::Flush();
        ExpectError([] { gles::Flush(); }, "GL renderer: the ES context reported error 0x0500 since the last check");
        // None on the flushes (the page's frames): the error waits for the check asked for.
        gles::CheckErrorsEvery(0);
        glEnable(GL_FOG);
        for (int k = 0; k < 100; ++k) gles::Flush();
        ExpectError([] { gles::CheckErrors(); },
                    "GL renderer: the ES context reported error 0x0500 since the last check");
        gles::CheckErrorsEvery(1);
        glEnable(GL_FOG);
        ExpectError([] { gles::Flush(); }, "GL renderer: the ES context reported error 0x0500 since the last check");
    });
}

// The driver keeps its matrices in float, built from float arguments; ours,
// built the same way, match it to the bit.
TEST(RendererMatrices, MatchTheDriversBitForBit)
{
    DrawWithDriver([](const glapi::Gl11& gl) {
        gles::Matrix modelview = gles::MakeIdentityMatrix(), projection = gles::MakeIdentityMatrix();
        const auto expectSame = [](GLenum which, const gles::Matrix& ours, const std::string& after) {
            gles::Matrix driver;
            glGetFloatv(which, driver.data());
            EXPECT_EQ(std::memcmp(driver.data(), ours.data(), sizeof driver), 0) << "after " << after;
        };
        gl.MatrixMode(GL_PROJECTION);
        gl.Frustum(-4, 4, -3, 3, 4, 4096);
        gles::MultiplyFrustum(projection, -4, 4, -3, 3, 4, 4096);
        expectSame(GL_PROJECTION_MATRIX, projection, "the show's frustum");
        gl.LoadIdentity();
        gl.Frustum(-6, 6, -4, 4, 1, 4096);
        projection = gles::MakeIdentityMatrix();
        gles::MultiplyFrustum(projection, -6, 6, -4, 4, 1, 4096);
        expectSame(GL_PROJECTION_MATRIX, projection, "the interlude's frustum");
        gl.MatrixMode(GL_MODELVIEW);
        const auto rotate = [&](double a, double x, double y, double z) {
            gl.Rotated(a, x, y, z);
            gles::Rotate(modelview, a, x, y, z);
            expectSame(GL_MODELVIEW_MATRIX, modelview, "glRotated(" + std::to_string(a) + ")");
        };
        const auto translate = [&](double x, double y, double z) {
            gl.Translated(x, y, z);
            gles::Translate(modelview, x, y, z);
            expectSame(GL_MODELVIEW_MATRIX, modelview, "glTranslated(" + std::to_string(x) + ")");
        };
        // The camera, then lights and wings turned the show's ways.
        rotate(-45, 1, 0, 0);
        rotate(-152, 0, 1, 0);
        translate(-29, -5, 205);
        for (int frame = 1; frame < 40; frame += 7) {
            rotate(5 * frame % 360, 1, 1, 0);
            rotate(10 * frame % 360, 0, 1, 1);
            rotate(-90, 0, 1, 0);
            rotate(180, 0, 0, 1);
            rotate(2 * frame, 1, 0, 1);
            translate(40, 0, -60 - frame);
        }
    });
}

} // namespace
} // namespace glestest
