#include "Scenes.h"

#include "SceneParts.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdint>

namespace glestest {

void DrawLitQuads(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    gl.PushMatrix();
    gl.Rotated(-10, 1, 0, 0);
    gl.Rotated(5, 0, 1, 0);
    gl.Translated(0, 40, 0);
    PlaceLights(gl, 35);
    const std::array<Rgba, 4> warm{
        {{1, 0.5f, 0.2f, 1}, {0.3f, 0.9f, 0.6f, 0.8f}, {0.9f, 0.9f, 0.9f, 1}, {0.2f, 0.3f, 1, 1}}};
    const std::array<Rgba, 4> white{{{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) {
            gl.PushMatrix();
            gl.Translated(-225 + 150 * column, -150 + 150 * row, -450);
            gl.Rotated(25 * column - 40 + 10 * row, 0.3, 1, 0.2);
            gl.Rotated(20 * row - 20, 1, 0, 0);
            // One in five faces away and is culled.
            if ((row * 4 + column) % 5 == 4) gl.Rotated(180, 0, 1, 0);
            TiltedSquare(gl, 65, (row + column) % 2 ? warm : white);
            gl.PopMatrix();
        }
    gl.PopMatrix();
}

// Quads whose corners differ in colour show the diagonal they are split
// along: sent immediately and from a list, shaded smoothly and flat.
void DrawQuadSplits(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const std::array<Rgba, 4> corners{{{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 1}}};
    const auto quad = [&] {
        gl.Begin(GL_QUADS);
        const float xy[4][2] = {{-130, -90}, {120, -110}, {100, 100}, {-110, 80}};
        for (int k = 0; k < 4; ++k) {
            Color(gl, corners[static_cast<std::size_t>(k)]);
            gl.Vertex3f(xy[k][0], xy[k][1], 0);
        }
        gl.End();
    };
    const GLuint list = gl.GenLists(1);
    gl.NewList(list, GL_COMPILE);
    quad();
    gl.EndList();
    for (int k = 0; k < 4; ++k) {
        gl.ShadeModel(k % 2 ? GL_FLAT : GL_SMOOTH);
        gl.PushMatrix();
        gl.Translated(k % 2 ? 140 : -140, k / 2 ? 110 : -110, -450);
        if (k / 2)
            gl.CallList(list);
        else
            quad();
        gl.PopMatrix();
    }
    gl.ShadeModel(GL_SMOOTH);
}

void DrawTexturedBlend(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto names = MakeTextures(gl);
    gl.Enable(GL_TEXTURE_2D);
    gl.PushMatrix();
    gl.Translated(0, 0, -300);

    gl.BindTexture(GL_TEXTURE_2D, names[0]);
    gl.Color4f(1, 0.8f, 0.6f, 1);
    TexturedSquare(gl, 280, 3);

    // The sky's way: a scrolled texture matrix, fading corners, no depth writes.
    gl.DepthMask(GL_FALSE);
    gl.MatrixMode(GL_TEXTURE);
    gl.PushMatrix();
    gl.Translated(-0.37, 0, 0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.BindTexture(GL_TEXTURE_2D, names[1]);
    gl.Begin(GL_QUADS);
    const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const float xy[4][2] = {{-200, 150}, {-200, -150}, {200, -150}, {200, 150}};
    for (int k = 0; k < 4; ++k) {
        if (k == 1)
            gl.Color4f(1, 1, 1, 1);
        else
            gl.Color4f(0, 0, 0, 0.3f);
        gl.TexCoord2f(st[k][0], st[k][1]);
        gl.Vertex3f(xy[k][0], xy[k][1], 10);
    }
    gl.End();
    gl.MatrixMode(GL_TEXTURE);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.DepthMask(GL_TRUE);

    // A texture matrix with a perspective row: q goes from 2 to 1.36 across
    // the square, and the texture with it.
    gl.MatrixMode(GL_TEXTURE);
    gl.PushMatrix();
    gl.Frustum(-1, 1, -1, 1, 1, 3);
    gl.Translated(0, 0, -2);
    gl.Rotated(40, 1, 0, 0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();
    gl.Translated(-180, -120, 20);
    gl.Color4f(1, 1, 1, 1);
    TexturedSquare(gl, 70, 1);
    gl.PopMatrix();
    gl.MatrixMode(GL_TEXTURE);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);

    // The interlude's way: additive panels, both sides showing.
    gl.Disable(GL_CULL_FACE);
    gl.BlendFunc(GL_ONE, GL_ONE);
    gl.Color4f(1, 1, 1, 0.3f);
    for (int panel = 0; panel < 4; ++panel) {
        gl.PushMatrix();
        gl.Translated(120, -60, 60);
        gl.Rotated(45 * panel, 0, 1, 0);
        TexturedSquare(gl, 60, 1);
        gl.PopMatrix();
    }
    gl.Enable(GL_CULL_FACE);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The other environments, on the RGB and the RGBA image.
    const GLint modes[4] = {GL_REPLACE, GL_DECAL, GL_BLEND, GL_MODULATE};
    for (int k = 0; k < 8; ++k) {
        gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, modes[k % 4]);
        gl.BindTexture(GL_TEXTURE_2D, names[k / 4 == 0 ? 1 : 2]);
        gl.Color4f(0.2f + 0.1f * k, 0.9f, 0.5f, 0.6f);
        gl.PushMatrix();
        gl.Translated(-210 + 60 * k, 200, 20);
        TexturedSquare(gl, 25, 1);
        gl.PopMatrix();
    }
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    // A receding mip-mapped floor.
    gl.BindTexture(GL_TEXTURE_2D, names[3]);
    gl.Color4f(1, 1, 1, 1);
    gl.PushMatrix();
    gl.Translated(-150, -200, 0);
    gl.Rotated(-84, 1, 0, 0);
    TexturedSquare(gl, 150, 12);
    gl.PopMatrix();

    // Without mip-maps the default minifying filter leaves the texture
    // incomplete: the quad is drawn as if texturing were off.
    GLuint incomplete = 0;
    gl.GenTextures(1, &incomplete);
    gl.BindTexture(GL_TEXTURE_2D, incomplete);
    const std::uint8_t texel[4] = {10, 20, 30, 255};
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    gl.Color4f(0.9f, 0.2f, 0.7f, 1);
    gl.PushMatrix();
    gl.Translated(200, -180, 30);
    TexturedSquare(gl, 40, 1);
    gl.PopMatrix();
    gl.PopMatrix();
}

void DrawPolygons(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto names = MakeTextures(gl);
    gl.Enable(GL_TEXTURE_2D);
    gl.PushMatrix();
    gl.Rotated(10, 1, 0, 0);
    gl.Rotated(-15, 0, 1, 0);
    gl.Translated(0, -150, -600);
    PlaceLights(gl, 80);

    // The terrain's way: a polygon per cell, a bind before each, colour and
    // double texture coordinates at each corner, no normal.
    const auto height = [](int i, int j) { return static_cast<float>(30 * std::sin(0.9 * i) * std::cos(0.7 * j)); };
    const auto corner = [&](int i, int j, double s, double t) {
        gl.TexCoord2d(s, t);
        gl.Color3f(0.5f + 0.05f * static_cast<float>(i % 10), 0.7f, 1.0f - 0.08f * static_cast<float>(j % 10));
        gl.Vertex3f(400.0f - 80.0f * static_cast<float>(i), height(i, j), -400.0f + 80.0f * static_cast<float>(j));
    };
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i) {
            gl.BindTexture(GL_TEXTURE_2D, names[(i * 7 + j * 3) % 3 == 0 ? 1 : 0]);
            gl.Begin(GL_POLYGON);
            corner(i, j, 0, 0);
            corner(i + 1, j, 1, 0);
            corner(i + 1, j + 1, 1, 1);
            corner(i, j + 1, 0, 1);
            gl.End();
        }
    gl.PopMatrix();

    // Unlit, untextured: a fan whose vertex colours show where it splits.
    gl.Disable(GL_LIGHTING);
    gl.Disable(GL_TEXTURE_2D);
    gl.PushMatrix();
    gl.Translated(-150, 90, -300);
    gl.Begin(GL_POLYGON);
    const Rgba colors[6] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 1, 1}, {1, 0, 1, 1}};
    for (int k = 0; k < 6; ++k) {
        const double a = k * 3.14159265358979 / 3;
        Color(gl, colors[k]);
        gl.Vertex3f(static_cast<float>(100 * std::cos(a)), static_cast<float>(80 * std::sin(a)), 0);
    }
    gl.End();
    gl.PopMatrix();

    // Flat shading takes a quad's last vertex and a polygon's first.
    gl.ShadeModel(GL_FLAT);
    gl.PushMatrix();
    gl.Translated(100, 90, -300);
    gl.Begin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        Color(gl, colors[k + 1]);
        gl.Vertex3f(k == 0 || k == 3 ? -40.0f : 40.0f, k < 2 ? -40.0f : 40.0f, 0);
    }
    gl.End();
    gl.Translated(100, 0, 0);
    gl.Begin(GL_POLYGON);
    for (int k = 0; k < 5; ++k) {
        Color(gl, colors[k]);
        const double a = k * 2 * 3.14159265358979 / 5;
        gl.Vertex3f(static_cast<float>(40 * std::cos(a)), static_cast<float>(40 * std::sin(a)), 0);
    }
    gl.End();
    gl.PopMatrix();
    gl.ShadeModel(GL_SMOOTH);

    // Strips and fans.
    gl.PushMatrix();
    gl.Translated(-300, 190, -420);
    for (GLenum mode : {GL_TRIANGLE_STRIP, GL_QUAD_STRIP, GL_TRIANGLE_FAN, GL_TRIANGLES}) {
        gl.Begin(mode);
        for (int k = 0; k < 8; ++k) {
            Color(gl, colors[k % 6]);
            if (mode == GL_TRIANGLE_FAN)
                gl.Vertex3f(k == 0 ? 0.0f : static_cast<float>(50 * std::cos(0.5 * k)),
                            k == 0 ? 0.0f : static_cast<float>(50 * std::sin(0.5 * k)), 0);
            else
                gl.Vertex3f(static_cast<float>(20 * k), k % 2 ? 0.0f : 40.0f, 0);
        }
        gl.End();
        gl.Translated(150, 0, 0);
    }
    gl.PopMatrix();
}

void DrawDepth(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto square = [&](float x, float y, float z, float h, const Rgba& c) {
        gl.PushMatrix();
        gl.Translated(x, y, z);
        Color(gl, c);
        gl.Begin(GL_QUADS);
        gl.Vertex3f(-h, -h, 0);
        gl.Vertex3f(h, -h, 0);
        gl.Vertex3f(h, h, 0);
        gl.Vertex3f(-h, h, 0);
        gl.End();
        gl.PopMatrix();
    };
    // Near, but leaving the depth buffer alone: what follows covers it.
    gl.DepthMask(GL_FALSE);
    square(0, 0, -200, 60, {1, 0, 0, 1});
    gl.DepthMask(GL_TRUE);
    square(30, 30, -500, 150, {0, 1, 0, 1});
    // Near and written: it hides what comes behind it.
    square(-120, -60, -250, 50, {0, 0, 1, 1});
    square(-90, -40, -400, 90, {1, 1, 0, 1});
    // At equal depth, GL_LESS keeps the first and GL_LEQUAL lets the second in.
    square(150, -100, -350, 40, {0, 1, 1, 1});
    square(150, -100, -350, 40, {1, 0, 1, 1});
    gl.DepthFunc(GL_LEQUAL);
    square(220, 100, -350, 40, {0, 1, 1, 1});
    square(220, 100, -350, 40, {1, 0.5f, 0, 1});
    gl.DepthFunc(GL_LESS);
    // Without the test, far over near.
    gl.Disable(GL_DEPTH_TEST);
    square(-200, 150, -900, 100, {0.5f, 0.5f, 1, 0.7f});
    gl.Enable(GL_DEPTH_TEST);
}

void DrawManyVertices(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto names = MakeTextures(gl);
    gl.Enable(GL_TEXTURE_2D);
    gl.PushMatrix();
    gl.Translated(0, 0, -300);
    PlaceLights(gl, 10);
    constexpr int columns = 160, rows = 120;
    for (int j = 0; j < rows; ++j) {
        gl.BindTexture(GL_TEXTURE_2D, names[static_cast<std::size_t>(j % 2)]);
        gl.Begin(GL_QUADS);
        for (int i = 0; i < columns; ++i) {
            const float x = -280.0f + 560.0f * static_cast<float>(i) / columns;
            const float y = -210.0f + 420.0f * static_cast<float>(j) / rows;
            const float dx = 560.0f / columns, dy = 420.0f / rows;
            gl.Color3f(static_cast<float>(i) / columns, static_cast<float>(j) / rows, 0.5f);
            gl.Normal3f(0.3f * std::sin(0.1f * static_cast<float>(i)), 0.3f * std::cos(0.13f * static_cast<float>(j)),
                        1);
            gl.TexCoord2f(0, 0);
            gl.Vertex3f(x, y, 0);
            gl.TexCoord2f(1, 0);
            gl.Vertex3f(x + dx, y, 0);
            gl.TexCoord2f(1, 1);
            gl.Vertex3f(x + dx, y + dy, 0);
            gl.TexCoord2f(0, 1);
            gl.Vertex3f(x, y + dy, 0);
        }
        gl.End();
    }
    gl.PopMatrix();
}

void DrawDefaults(const glapi::Gl11& gl)
{
    gl.Clear(GL_COLOR_BUFFER_BIT);
    gl.Enable(GL_LIGHTING);
    gl.Enable(GL_LIGHT0);
    gl.Begin(GL_QUADS);
    const float corners[4][2] = {{-0.9f, -0.9f}, {0.5f, -0.8f}, {0.6f, 0.7f}, {-0.8f, 0.8f}};
    for (const auto& c : corners) {
        gl.Normal3f(c[0], c[1], 0.6f);
        gl.Vertex3f(c[0], c[1], 0);
    }
    gl.End();
    gl.Disable(GL_LIGHTING);
    gl.Begin(GL_TRIANGLES);
    gl.Vertex3f(0.6f, -0.9f, 0);
    gl.Vertex3f(0.95f, -0.9f, 0);
    gl.Vertex3f(0.95f, -0.2f, 0);
    gl.End();
}

// Each variant keeps its own uniforms: what changes while one draws must
// reach the others when they draw again.
void DrawVariantSwitches(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    const auto textures = MakeTextures(gl);
    PlaceLights(gl, 20);
    // Normals and texture coordinates, no colour: the current colour.
    const GLuint list = gl.GenLists(1);
    gl.NewList(list, GL_COMPILE);
    gl.Begin(GL_QUADS);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        gl.Normal3f(0.5f * c[0], 0.4f * c[1], 1);
        gl.TexCoord2f(c[0] > 0 ? 1.0f : 0.0f, c[1] > 0 ? 1.0f : 0.0f);
        gl.Vertex3f(60 * c[0], 60 * c[1], 0);
    }
    gl.End();
    gl.EndList();
    const float dim[4] = {0.5f, 0.1f, 0.4f, 1};
    for (int k = 0; k < 12; ++k) {
        // Unlit smooth, textured (modulate), flat, textured (replace).
        const bool textured = k % 2 == 1;
        if (textured) {
            gl.Enable(GL_TEXTURE_2D);
            gl.BindTexture(GL_TEXTURE_2D, textures[static_cast<std::size_t>(k / 3)]);
            gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, k % 4 == 1 ? GL_MODULATE : GL_REPLACE);
        } else {
            gl.Disable(GL_TEXTURE_2D);
            gl.ShadeModel(k % 4 == 0 ? GL_SMOOTH : GL_FLAT);
        }
        // A change to each part of the state, made under one variant and
        // read by the others later.
        if (k == 3) PlaceLights(gl, 70);
        if (k == 4) gl.Disable(GL_LIGHT1);
        if (k == 5) gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
        if (k == 6) gl.Disable(GL_LIGHTING);
        if (k == 8) gl.Enable(GL_LIGHTING);
        gl.Color4f(0.3f + 0.05f * static_cast<float>(k), 0.9f - 0.06f * static_cast<float>(k), 0.6f, 1);
        gl.PushMatrix();
        gl.Translated(-240 + 160 * (k % 4), 150 - 150 * (k / 4), -450);
        gl.Rotated(10 * k - 50, 0.2, 1, 0.3);
        if (k % 3 == 0) {
            gl.CallList(list);
        } else {
            gl.Normal3f(0.1f, -0.3f, 1);
            TexturedSquare(gl, 60, 1);
        }
        gl.PopMatrix();
    }
}

const std::vector<Scene>& ListScenes()
{
    static const std::vector<Scene> scenes = {
        {"LitQuads", DrawLitQuads},         {"QuadSplits", DrawQuadSplits}, {"TexturedBlend", DrawTexturedBlend},
        {"Polygons", DrawPolygons},         {"Depth", DrawDepth},           {"DisplayLists", DrawDisplayLists},
        {"ManyVertices", DrawManyVertices}, {"Defaults", DrawDefaults},     {"VariantSwitches", DrawVariantSwitches},
    };
    return scenes;
}

} // namespace glestest
