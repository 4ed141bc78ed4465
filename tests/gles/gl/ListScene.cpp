#include "Scenes.h"

#include "SceneParts.h"

#include <GL/gl.h>

#include <array>
#include <cstdint>

namespace glestest {

void DrawDisplayLists(const glapi::Gl11& gl)
{
    SetUpShowState(gl);
    std::array<GLuint, 4> names{};
    gl.GenTextures(4, names.data());
    const GLuint box = gl.GenLists(5), band = box + 1, tile = box + 2, nested = box + 3, late = box + 4;

    // Compiled before any image is uploaded: lists bind names, not images.
    gl.NewList(box, GL_COMPILE);
    gl.BindTexture(GL_TEXTURE_2D, names[0]);
    gl.Begin(GL_QUADS);
    const float faces[3][4][3] = {{{40, 40, 40}, {-40, 40, 40}, {-40, -40, 40}, {40, -40, 40}},
                                  {{40, 40, 40}, {40, -40, 40}, {40, -40, -40}, {40, 40, -40}},
                                  {{-40, -40, -40}, {-40, -40, 40}, {-40, 40, 40}, {-40, 40, -40}}};
    const float normals[3][3] = {{0, 0, 1}, {1, 0, 0}, {-1, 0, 0}};
    const float st[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int f = 0; f < 3; ++f) {
        gl.Normal3f(normals[f][0], normals[f][1], normals[f][2]);
        for (int k = 0; k < 4; ++k) {
            gl.TexCoord2f(st[k][0], st[k][1]);
            gl.Vertex3f(faces[f][k][0], faces[f][k][1], faces[f][k][2]);
        }
    }
    gl.End();
    gl.BindTexture(GL_TEXTURE_2D, names[1]);
    gl.Begin(GL_QUADS);
    gl.Normal3f(0, 1, 0);
    const float top[4][3] = {{40, 40, 40}, {40, 40, -40}, {-40, 40, -40}, {-40, 40, 40}};
    for (int k = 0; k < 4; ++k) {
        gl.TexCoord2f(st[k][0], st[k][1]);
        gl.Vertex3f(top[k][0], top[k][1], top[k][2]);
    }
    gl.End();
    gl.EndList();

    gl.NewList(band, GL_COMPILE);
    gl.Disable(GL_CULL_FACE);
    gl.Begin(GL_QUADS);
    gl.Normal3f(0, 0, 1);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(-150, 0, -60);
    gl.TexCoord2f(2, 0);
    gl.Vertex3f(150, 0, -60);
    gl.TexCoord2f(2, 1);
    gl.Vertex3f(150, 50, -60);
    gl.TexCoord2f(0, 1);
    gl.Vertex3f(-150, 50, -60);
    gl.End();
    gl.Enable(GL_CULL_FACE);
    gl.EndList();

    gl.NewList(tile, GL_COMPILE);
    gl.Begin(GL_QUADS);
    const float tileXy[4][2] = {{100, 100}, {-100, 100}, {-100, -100}, {100, -100}};
    for (int k = 0; k < 4; ++k) {
        if (k == 2)
            gl.Color4f(1, 1, 1, 1);
        else
            gl.Color4f(0, 0, 0, 0.3f);
        gl.TexCoord2f(st[k][0], st[k][1]);
        gl.Vertex3f(tileXy[k][0], tileXy[k][1], 0);
    }
    gl.End();
    gl.Color4f(1, 1, 1, 1);
    gl.EndList();

    // Calls a list defined only after this one.
    gl.NewList(nested, GL_COMPILE);
    gl.PushMatrix();
    gl.Translated(0, 100, 0);
    gl.CallList(box);
    gl.PopMatrix();
    gl.Rotated(30, 0, 1, 0);
    gl.CallList(late);
    gl.EndList();

    gl.NewList(late, GL_COMPILE);
    gl.Begin(GL_TRIANGLES);
    gl.Vertex3f(-50, -50, 0);
    gl.Vertex3f(50, -50, 0);
    gl.Vertex3f(0, 60, 0);
    gl.End();
    gl.EndList();

    const auto made = MakeTextures(gl);
    // Two 2 x 2 images, the second starting one texel into the first.
    const std::uint8_t plain[3 * 2 * 2 + 3] = {200, 90, 40, 100, 180, 60, 30, 70, 220, 250, 250, 120, 90, 40, 160};
    for (int k = 0; k < 2; ++k) {
        gl.BindTexture(GL_TEXTURE_2D, names[static_cast<std::size_t>(k)]);
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, k == 0 ? plain : plain + 3);
        UseFilters(gl, GL_LINEAR, GL_LINEAR);
    }
    gl.Enable(GL_TEXTURE_2D);

    gl.PushMatrix();
    gl.Rotated(-15, 1, 0, 0);
    gl.Translated(0, -10, -520);
    PlaceLights(gl, 150);
    // The caller's colour tints the boxes; between them, immediate geometry.
    for (int k = 0; k < 3; ++k) {
        gl.PushMatrix();
        gl.Translated(-200 + 200 * k, 0, 0);
        gl.Rotated(40 * k + 20, 0, 1, 0);
        gl.Color3f(0.3f + 0.3f * static_cast<float>(k), 1.0f - 0.2f * static_cast<float>(k), 0.5f);
        gl.CallList(box);
        gl.PopMatrix();
        gl.BindTexture(GL_TEXTURE_2D, made[0]);
        gl.Begin(GL_TRIANGLES);
        gl.TexCoord2f(0, 0);
        gl.Vertex3f(-250.0f + 200 * static_cast<float>(k), -100, 50);
        gl.TexCoord2f(1, 0);
        gl.Vertex3f(-150.0f + 200 * static_cast<float>(k), -100, 50);
        gl.TexCoord2f(0, 1);
        gl.Vertex3f(-200.0f + 200 * static_cast<float>(k), -40, 50);
        gl.End();
    }
    // Half-transparent band, both faces; culling comes back on after it.
    gl.BindTexture(GL_TEXTURE_2D, made[1]);
    gl.Color4f(1, 1, 1, 0.5f);
    gl.CallList(band);
    gl.PushMatrix();
    gl.Rotated(180, 0, 1, 0);
    gl.CallList(band);
    gl.PopMatrix();
    // A tile under a scrolled texture matrix; it leaves opaque white current.
    gl.Disable(GL_LIGHTING);
    gl.DepthMask(GL_FALSE);
    gl.BindTexture(GL_TEXTURE_2D, made[0]);
    gl.MatrixMode(GL_TEXTURE);
    gl.PushMatrix();
    gl.Translated(-0.25, 0, 0);
    gl.MatrixMode(GL_MODELVIEW);
    gl.PushMatrix();
    gl.Translated(0, 220, 0);
    gl.Rotated(-70, 1, 0, 0);
    gl.CallList(tile);
    gl.PopMatrix();
    gl.MatrixMode(GL_TEXTURE);
    gl.PopMatrix();
    gl.MatrixMode(GL_MODELVIEW);
    gl.DepthMask(GL_TRUE);
    gl.Enable(GL_LIGHTING);
    // In white, with the box's last normal, and the nested lists.
    gl.PushMatrix();
    gl.Translated(250, 100, -100);
    gl.CallList(box);
    gl.PopMatrix();
    gl.Begin(GL_POLYGON);
    gl.Vertex3f(-300, 150, -50);
    gl.Vertex3f(-200, 150, -50);
    gl.Vertex3f(-200, 230, -50);
    gl.Vertex3f(-300, 230, -50);
    gl.End();
    gl.Color3f(0.9f, 0.6f, 0.3f);
    gl.PushMatrix();
    gl.Translated(0, 0, 120);
    gl.CallList(nested);
    gl.PopMatrix();
    gl.PopMatrix();
}

} // namespace glestest
