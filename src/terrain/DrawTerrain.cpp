// The landscape, sent in immediate mode every scene frame: 20 x 20 cells,
// each a textured polygon with the grid's heights and vertex colours.
// A failing statement is skipped and drawing goes on, so a cell whose
// texture slot is out of range keeps the previous binding.
#include "gl/BasicGL.h"
#include "terrain/Terrain.h"
#include "window/glTemplate.h"

#include "glapi/GL.h"

namespace {

using Terrain::TerrainColour;
using Terrain::TerrainHeight;

// One corner of a cell: grid point (p, q) lands at x = -100 p, z = 100 q
// under the cell loop's translation. The products are 16-bit integers.
void SendCorner(std::uint8_t p, std::uint8_t q, GLdouble s, GLdouble t)
{
    const auto x = static_cast<std::int16_t>(-100 * p);
    const auto z = static_cast<std::int16_t>(100 * q);
    glTexCoord2d(s, t);
    Runtime::Resume([&] {
        const Terrain::TerrainRGB& c = TerrainColour(p, q);
        glColor3f(static_cast<GLfloat>(c.Red), static_cast<GLfloat>(c.Green), static_cast<GLfloat>(c.Blue));
    });
    Runtime::Resume([&] {
        glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(TerrainHeight(p, q)), static_cast<GLfloat>(z));
    });
}

} // namespace

void glTemplate::DrawTerrain(std::uint8_t& Mode)
{
    glPushMatrix();
    glTranslated(1000, 0, -1000);
    if (Mode == 0) {
        for (std::uint8_t j = 0; j <= 19; ++j) {
            for (std::uint8_t i = 0; i <= 19; ++i) {
                Runtime::Resume([&] { glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(Terrain::TerrainTile(i, j))); });
                glBegin(GL_POLYGON);
                SendCorner(i, j, 0, 0);
                SendCorner(static_cast<std::uint8_t>(i + 1), j, 1, 0);
                SendCorner(static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(j + 1), 1, 1);
                SendCorner(i, static_cast<std::uint8_t>(j + 1), 0, 1);
                glEnd();
            }
        }
    }
    glPopMatrix();
}
