#include "SceneParts.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>

namespace glestest {

void SetUpShowState(const glapi::Gl11& gl)
{
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 0.2f};
    gl.MatrixMode(GL_PROJECTION);
    gl.Frustum(-4, 4, -3, 3, 4, 4096);
    gl.Viewport(0, 0, 640, 480);
    gl.MatrixMode(GL_MODELVIEW);
    gl.Enable(GL_DEPTH_TEST);
    gl.DepthFunc(GL_LESS);
    gl.Disable(GL_DITHER);
    gl.Enable(GL_COLOR_MATERIAL);
    gl.Enable(GL_CULL_FACE);
    gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    gl.ColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    gl.Enable(GL_BLEND);
    gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    gl.ShadeModel(GL_SMOOTH);
    gl.ClearColor(0.05f, 0.1f, 0.15f, 0);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void PlaceLights(const glapi::Gl11& gl, double swing)
{
    const float green[4] = {0, 1, 0, 1}, red[4] = {1, 0, 0, 1}, blue[4] = {0, 0, 1, 1};
    const float point[4] = {140, 0, 40, 1}, direction[4] = {0.4f, 0.8f, 0.5f, 0}, origin[4] = {0, 0, 0, -1};
    gl.Lightfv(GL_LIGHT0, GL_DIFFUSE, green);
    gl.Lightfv(GL_LIGHT1, GL_DIFFUSE, red);
    gl.Lightfv(GL_LIGHT2, GL_DIFFUSE, blue);
    gl.PushMatrix();
    gl.Rotated(swing, 1, 0, 0);
    gl.Rotated(2 * swing, 1, 1, 1);
    gl.Lightfv(GL_LIGHT0, GL_POSITION, point);
    gl.PopMatrix();
    gl.Lightfv(GL_LIGHT1, GL_POSITION, direction);
    gl.PushMatrix();
    gl.Translated(-60, 30, -150);
    gl.Lightfv(GL_LIGHT2, GL_POSITION, origin);
    gl.PopMatrix();
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2}) gl.Enable(light);
    gl.Enable(GL_LIGHTING);
}

void Color(const glapi::Gl11& gl, const Rgba& c)
{
    gl.Color4f(c[0], c[1], c[2], c[3]);
}

void TiltedSquare(const glapi::Gl11& gl, float h, const std::array<Rgba, 4>& colors)
{
    static constexpr float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    gl.Begin(GL_QUADS);
    for (int k = 0; k < 4; ++k) {
        const float x = corners[k][0], y = corners[k][1];
        const float length = std::sqrt(0.5f * x * x + 0.5f * y * y + 1);
        gl.Normal3f(0.7f * x / length, 0.7f * y / length, 1 / length);
        Color(gl, colors[static_cast<std::size_t>(k)]);
        gl.Vertex3f(h * x, h * y, 0);
    }
    gl.End();
}

void TexturedSquare(const glapi::Gl11& gl, float h, float repeat)
{
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(0, 0);
    gl.Vertex3f(-h, -h, 0);
    gl.TexCoord2f(repeat, 0);
    gl.Vertex3f(h, -h, 0);
    gl.TexCoord2f(repeat, repeat);
    gl.Vertex3f(h, h, 0);
    gl.TexCoord2f(0, repeat);
    gl.Vertex3f(-h, h, 0);
    gl.End();
}

void UseFilters(const glapi::Gl11& gl, int min, int mag)
{
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
}

std::array<unsigned, 4> MakeTextures(const glapi::Gl11& gl)
{
    std::array<unsigned, 4> names{};
    gl.GenTextures(4, names.data());

    std::uint8_t rgb[5 * 3 * 3];
    for (int k = 0; k < 15; ++k) {
        rgb[3 * k] = static_cast<std::uint8_t>(40 + 13 * k);
        rgb[3 * k + 1] = static_cast<std::uint8_t>(250 - 11 * k);
        rgb[3 * k + 2] = static_cast<std::uint8_t>((k * 97) % 256);
    }
    gl.BindTexture(GL_TEXTURE_2D, names[0]);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 5, 3, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    UseFilters(gl, GL_LINEAR, GL_LINEAR);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    std::uint8_t rgba[8 * 8 * 4];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            std::uint8_t* p = rgba + (y * 8 + x) * 4;
            const bool hole = (x + y) % 3 == 0;
            p[0] = hole ? 0 : static_cast<std::uint8_t>(30 * x + 20);
            p[1] = hole ? 0 : static_cast<std::uint8_t>(30 * y + 10);
            p[2] = hole ? 0 : 200;
            p[3] = hole ? 0 : 255;
        }
    gl.BindTexture(GL_TEXTURE_2D, names[1]);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    UseFilters(gl, GL_LINEAR, GL_LINEAR);

    // 3 x 2 texels: 9 bytes a row, padded to 12.
    const std::uint8_t padded[24] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9, 255, 255, 0, 0, 255, 255, 255, 0, 255};
    gl.BindTexture(GL_TEXTURE_2D, names[2]);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.TexImage2D(GL_TEXTURE_2D, 0, 3, 3, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, padded);
    UseFilters(gl, GL_NEAREST, GL_NEAREST);

    std::uint8_t stripes[16 * 16 * 3];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = stripes + (y * 16 + x) * 3;
            p[0] = (x / 2) % 2 ? 255 : 0;
            p[1] = static_cast<std::uint8_t>(16 * y);
            p[2] = (y / 4) % 2 ? 255 : 40;
        }
    gl.BindTexture(GL_TEXTURE_2D, names[3]);
    gl.Build2DMipmaps(GL_TEXTURE_2D, 3, 16, 16, GL_RGB, GL_UNSIGNED_BYTE, stripes);
    UseFilters(gl, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    return names;
}

} // namespace glestest
