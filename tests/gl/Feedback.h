// Captures what a piece of drawing code sends down the GL pipeline, vertex
// by vertex, through feedback mode: positions in the coordinates the
// modelview matrix puts them in, colours, texture coordinates (after the
// texture matrix), and, with a second pair of runs under coloured lights,
// normals.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <ostream>
#include <vector>

namespace feedback {

struct Vertex {
    float x = 0, y = 0, z = 0;
    float r = 0, g = 0, b = 0, a = 0;
    float s = 0, t = 0;
    float nx = 0, ny = 0, nz = 0;   // filled by CaptureQuadsWithNormals only
};

using Quad = std::array<Vertex, 4>;

inline bool SameVertex(const Vertex& p, const Vertex& q)
{
    return p.x == q.x && p.y == q.y && p.z == q.z && p.r == q.r && p.g == q.g && p.b == q.b &&
           p.a == q.a && p.s == q.s && p.t == q.t;
}

inline std::ostream& operator<<(std::ostream& os, const Vertex& v)
{
    return os << "(" << v.x << ", " << v.y << ", " << v.z << ") tex (" << v.s << ", " << v.t
              << ") rgba (" << v.r << ", " << v.g << ", " << v.b << ", " << v.a << ") n ("
              << v.nx << ", " << v.ny << ", " << v.nz << ")";
}

// The capture view: an orthographic box of half-size 2048 onto a 512 x 512
// viewport, so window coordinates map back to exact eye coordinates:
// x = (xw - 256) * 8, and likewise for y; z from the depth value.
constexpr double kHalf = 2048;
constexpr int kPort = 512;

// Runs draw in feedback mode and returns its quads, in the order drawn.
// Mesa hands each quad (v0, v1, v2, v3) back as the two triangles
// (v0, v1, v3), (v1, v2, v3); the pairs are joined into quads again.
inline std::vector<Quad> CaptureQuads(const std::function<void()>& draw)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLint mode;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-kHalf, kHalf, -kHalf, kHalf, -kHalf, kHalf);
    glMatrixMode(static_cast<GLenum>(mode));
    glViewport(0, 0, kPort, kPort);

    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(mode));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    std::vector<std::array<Vertex, 3>> triangles;
    EXPECT_GE(used, 0) << "feedback buffer overflowed";
    for (GLint i = 0; i < used;) {
        const auto token = static_cast<GLenum>(buffer[static_cast<std::size_t>(i++)]);
        if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
            continue;
        }
        if (token != GL_POLYGON_TOKEN || buffer[static_cast<std::size_t>(i)] != 3) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        ++i;
        std::array<Vertex, 3> tri;
        for (auto& v : tri) {
            const GLfloat* f = &buffer[static_cast<std::size_t>(i)];
            const auto toEye = [](float w) { return static_cast<float>((w - kPort / 2) * (2 * kHalf / kPort)); };
            v.x = toEye(f[0]);
            v.y = toEye(f[1]);
            v.z = static_cast<float>(std::round((1 - 2 * static_cast<double>(f[2])) * kHalf * 1000) / 1000);
            v.r = f[3], v.g = f[4], v.b = f[5], v.a = f[6];
            v.s = f[7], v.t = f[8];
            i += 11;
        }
        triangles.push_back(tri);
    }

    std::vector<Quad> quads;
    if (triangles.size() % 2 != 0) {
        ADD_FAILURE() << "odd number of triangles: " << triangles.size();
        return quads;
    }
    for (std::size_t k = 0; k < triangles.size(); k += 2) {
        const auto& t1 = triangles[k];
        const auto& t2 = triangles[k + 1];
        if (!SameVertex(t1[1], t2[0]) || !SameVertex(t1[2], t2[2])) {
            ADD_FAILURE() << "triangles " << k << " and " << k + 1 << " do not form a quad";
            return quads;
        }
        quads.push_back({t1[0], t1[1], t2[1], t1[2]});
    }
    return quads;
}

// Captures twice under three directional lights, red along x, green along y,
// blue along z, then along the opposite axes; the difference of the two lit
// colours of a vertex is its normal (for unit normals, with a white colour).
// The lights and colour are set to white by this function; lists that set
// their own colour give no normal.
inline std::vector<Quad> CaptureQuadsWithNormals(const std::function<void()>& draw)
{
    const auto underLights = [&](float sign) {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        const GLfloat black[4] = {0, 0, 0, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
        for (int axis = 0; axis < 3; ++axis) {
            const GLenum light = GL_LIGHT0 + static_cast<GLenum>(axis);
            GLfloat colour[4] = {0, 0, 0, 1};
            GLfloat position[4] = {0, 0, 0, 0};
            colour[axis] = 1;
            position[axis] = sign;
            glLightfv(light, GL_AMBIENT, black);
            glLightfv(light, GL_SPECULAR, black);
            glLightfv(light, GL_DIFFUSE, colour);
            glLightfv(light, GL_POSITION, position);
            glEnable(light);
        }
        for (GLenum light = GL_LIGHT3; light <= GL_LIGHT7; ++light) glDisable(light);
        glPopMatrix();
        glMatrixMode(static_cast<GLenum>(mode));
        glEnable(GL_LIGHTING);
        glEnable(GL_COLOR_MATERIAL);
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glColor4f(1, 1, 1, 1);
        auto quads = CaptureQuads(draw);
        glPopAttrib();
        return quads;
    };
    auto quads = underLights(1);
    const auto opposite = underLights(-1);
    if (opposite.size() != quads.size()) {
        ADD_FAILURE() << "the two lit captures differ in size";
        return quads;
    }
    for (std::size_t q = 0; q < quads.size(); ++q) {
        for (int i = 0; i < 4; ++i) {
            auto& v = quads[q][static_cast<std::size_t>(i)];
            const auto& w = opposite[q][static_cast<std::size_t>(i)];
            v.nx = v.r - w.r;
            v.ny = v.g - w.g;
            v.nz = v.b - w.b;
        }
    }
    return quads;
}

} // namespace feedback
