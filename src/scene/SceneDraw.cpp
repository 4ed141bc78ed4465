// The fixed scene in world coordinates, under the camera transform the frame
// loop has applied: the sky with its scrolling tiles, the four corner
// towers, the cathedral with its wings and cross, and the title cube.
#include "window/glTemplate.h"

#include "gl/BasicGL.h"
#include "platform/App.h"
#include "scene/Objects.h"

#include "glapi/GL.h"

using BasicGL::TextureIds;
using Runtime::Resume;

namespace {

void CallList(std::int32_t id)
{
    glCallList(static_cast<GLuint>(id));
}

} // namespace

// Sky, towers and cathedral skip a failing statement and go on drawing, so
// a bad texture slot costs one bind, not the frame.
void glTemplate::DrawSky()
{
    // The tiles' image slides one texture width every 100 calls.
    SkyScroll = SkyScroll + 0.01;
    if (SkyScroll >= 1.0) SkyScroll = 0;

    glPushMatrix();
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);

    Resume([] { glBindTexture(GL_TEXTURE_2D, TextureIds(4)); });
    CallList(Objects::ListSky);

    Resume([] { glBindTexture(GL_TEXTURE_2D, TextureIds(3)); });
    glTranslated(-500, 0, -500);
    const auto drawTile = [this](std::int32_t tile) {
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glTranslated(-SkyScroll, 0, 0);
        CallList(tile);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    };
    drawTile(Objects::ListSkyTile1);
    glTranslated(1000, 0, 0);
    drawTile(Objects::ListSkyTile2);
    glTranslated(0, 0, 1000);
    drawTile(Objects::ListSkyTile3);
    glTranslated(-1000, 0, 0);
    drawTile(Objects::ListSkyTile4);

    glEnable(GL_LIGHTING);
    glDepthMask(GL_TRUE);
    glPopMatrix();
}

// The towers stand at the wall ring's corners, (325, 325), (-325, 325),
// (-325, -325), (325, -325), each reached from the one before.
void glTemplate::DrawTowers()
{
    glPushMatrix();
    glTranslated(325, 0, 325);
    CallList(Objects::ListTower);
    glTranslated(-650, 0, 0);
    CallList(Objects::ListTower);
    glTranslated(0, 0, -650);
    CallList(Objects::ListTower);
    glTranslated(650, 0, 0);
    CallList(Objects::ListTower);
    glPopMatrix();
}

// Each wing is turned about its own origin, then moved out from the centre,
// so that all four roofs slope down away from the central block.
void glTemplate::DrawCathedral()
{
    glPushMatrix();
    CallList(Objects::ListCathedral);

    glPushMatrix();
    glTranslated(40, 0, 0);
    CallList(Objects::ListCathedralWing);
    glPopMatrix();

    glPushMatrix();
    glTranslated(-40, 0, 0);
    glRotated(180, 0, 1, 0);
    CallList(Objects::ListCathedralWing);
    glPopMatrix();

    glPushMatrix();
    glTranslated(0, 0, 40);
    glRotated(-90, 0, 1, 0);
    CallList(Objects::ListCathedralWing);
    glPopMatrix();

    glPushMatrix();
    glTranslated(0, 0, -40);
    glRotated(90, 0, 1, 0);
    CallList(Objects::ListCathedralWing);
    glPopMatrix();

    glPushMatrix();
    CallList(Objects::ListCross);
    glPopMatrix();

    glPopMatrix();
}

// No handler here: a failure stops the show.
void glTemplate::DrawTittles()
{
    TitleFrame = Runtime::AddInt16(TitleFrame, 1);
    glPushMatrix();

    // A new tint every frame; the three draws are made in this order.
    const float r = platform::Rnd();
    const float g = platform::Rnd();
    const float b = platform::Rnd();
    glColor3f(r, g, b);

    glTranslated(0, 50, -100);
    if (TitleFrame > 250)
        glBindTexture(GL_TEXTURE_2D, TextureIds(13));
    else if (TitleFrame > 160)
        glBindTexture(GL_TEXTURE_2D, TextureIds(12));
    else if (TitleFrame > 80)
        glBindTexture(GL_TEXTURE_2D, TextureIds(11));
    else if (TitleFrame > 0)
        glBindTexture(GL_TEXTURE_2D, TextureIds(10));
    CallList(Objects::ListTitleCube);

    if (TitleFrame > 350) TitlesActive = Runtime::False;
    glPopMatrix();
}
