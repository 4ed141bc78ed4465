// What drawing code sends down the GL pipeline, vertex by vertex, through
// feedback mode: eye positions, colours, texture coordinates and normals.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

namespace feedback {

struct Vertex {
    float x = 0, y = 0, z = 0, r = 0, g = 0, b = 0, a = 0, s = 0, t = 0;
    float nx = 0, ny = 0, nz = 0; // filled by CaptureQuadsWithNormals only
    bool operator==(const Vertex&) const = default;
};

using Quad = std::array<Vertex, 4>;

// Runs draw in feedback mode under an ortho box of half-size 2048 on 512 x 512
// pixels, so window coordinates map back to exact eye coordinates. Mesa hands
// a quad (v0..v3) back as (v0, v1, v3), (v1, v2, v3); the pairs are rejoined.
inline std::vector<Quad> CaptureQuads(const std::function<void()>& draw)
{
    constexpr double half = 2048, port = 512;
    glPushAttrib(GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-half, half, -half, half, -half, half);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, 512, 512);
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib(); // the matrix mode with it

    EXPECT_GE(used, 0) << "feedback buffer overflowed";
    std::vector<std::array<Vertex, 3>> tris;
    for (auto f = buffer.cbegin(); f < buffer.cbegin() + std::max(used, 0);) {
        const auto token = static_cast<GLenum>(*f++);
        if (token != GL_POLYGON_TOKEN || *f++ != 3) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        for (auto& v : tris.emplace_back()) {
            const auto eye = [&](int k) { return static_cast<float>((f[k] - port / 2) * (2 * half / port)); };
            v.x = eye(0), v.y = eye(1);
            v.z = static_cast<float>(std::round((1 - 2 * static_cast<double>(f[2])) * half * 1000) / 1000);
            v.r = f[3], v.g = f[4], v.b = f[5], v.a = f[6], v.s = f[7], v.t = f[8];
            f += 11;
        }
    }
    std::vector<Quad> quads;
    for (std::size_t k = 0; k + 1 < tris.size() && tris[k][1] == tris[k + 1][0] && tris[k][2] == tris[k + 1][2]; k += 2)
        quads.push_back({tris[k][0], tris[k][1], tris[k + 1][1], tris[k][2]});
    EXPECT_EQ(quads.size() * 2, tris.size()) << "triangles that do not pair into quads";
    return quads;
}

// White vertices lit by red, green and blue lights along +x, +y, +z, then
// along -x, -y, -z: the difference of the two is the unit normal.
inline std::vector<Quad> CaptureQuadsWithNormals(const std::function<void()>& draw)
{
    const auto underLights = [&](float sign) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, std::array<GLfloat, 4>{0, 0, 0, 1}.data());
        for (GLenum light = GL_LIGHT0; light <= GL_LIGHT7; ++light) glDisable(light);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const GLenum light = GL_LIGHT0 + static_cast<GLenum>(axis);
            GLfloat colour[4] = {0, 0, 0, 1}, position[4] = {0, 0, 0, 0};
            colour[axis] = 1, position[axis] = sign;
            glLightfv(light, GL_DIFFUSE, colour);
            glLightfv(light, GL_POSITION, position);
            glEnable(light);
        }
        for (GLenum cap : {GL_LIGHTING, GL_COLOR_MATERIAL}) glEnable(cap);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glColor4f(1, 1, 1, 1);
        auto quads = CaptureQuads(draw);
        glPopAttrib();
        return quads;
    };
    auto quads = underLights(1), opposite = underLights(-1);
    EXPECT_EQ(opposite.size(), quads.size()) << "the two lit captures differ";
    for (std::size_t q = 0; q < std::min(quads.size(), opposite.size()); ++q)
        for (std::size_t i = 0; i < 4; ++i) {
            auto &v = quads[q][i], &w = opposite[q][i];
            v.nx = v.r - w.r, v.ny = v.g - w.g, v.nz = v.b - w.b;
        }
    return quads;
}

// The axis-aligned box {low, high} around quads [first, first + count).
using Box = std::array<std::array<float, 3>, 2>;
inline Box BoundsOf(const std::vector<Quad>& quads, std::size_t first, std::size_t count)
{
    Box b{{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}}};
    for (std::size_t q = first; q < first + count && q < quads.size(); ++q)
        for (const auto& v : quads[q])
            for (std::size_t a = 0; const float p : {v.x, v.y, v.z})
                b[0][a] = std::min(b[0][a], p), b[1][a] = std::max(b[1][a], p), ++a;
    return b;
}

} // namespace feedback
