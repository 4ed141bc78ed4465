// The scene's fixed geometry: hand-placed quads compiled once into display
// lists. Lists that show an image bind texture names, not images, so they
// can be compiled before the images are uploaded into those names.
#include "scene/Objects.h"

#include "gl/BasicGL.h"

#include "glapi/GL.h"

namespace Objects {

std::int32_t ListWall = 0;
std::int32_t ListWallTop = 0;
std::int32_t ListSky = 0;
std::int32_t ListSkyTile1 = 0;
std::int32_t ListSkyTile2 = 0;
std::int32_t ListSkyTile3 = 0;
std::int32_t ListSkyTile4 = 0;
std::int32_t ListCathedral = 0;
std::int32_t ListCathedralWing = 0;
std::int32_t ListCross = 0;
std::int32_t ListTower = 0;
std::int32_t ListTitleCube = 0;
std::int32_t ListPanel = 0;

namespace {

enum class Face { Front, Back, Top, Bottom, Right, Left };

struct Corner {
    GLfloat x, y, z;
};

// The texture coordinates every textured quad runs through, corner by corner.
constexpr GLfloat QuadS[4] = {0, 0, 1, 1};
constexpr GLfloat QuadT[4] = {0, 1, 1, 0};

// One face: its normal once, then a texture coordinate before each vertex.
// A flat face puts (0, 0) at every corner, so it takes a single texel.
void EmitFace(GLfloat nx, GLfloat ny, GLfloat nz, const Corner (&v)[4], bool flat)
{
    glNormal3f(nx, ny, nz);
    for (int i = 0; i < 4; ++i) {
        if (flat)
            glTexCoord2f(0, 0);
        else
            glTexCoord2f(QuadS[i], QuadT[i]);
        glVertex3f(v[i].x, v[i].y, v[i].z);
    }
}

// One face of a box on the vertical axis (half-widths a along x, c along z,
// from height y0 to y1), counter-clockwise seen from outside.
void BoxFace(Face face, GLfloat a, GLfloat c, GLfloat y0, GLfloat y1, bool flat = false)
{
    switch (face) {
    case Face::Front:
        EmitFace(0, 0, 1, {{a, y1, c}, {-a, y1, c}, {-a, y0, c}, {a, y0, c}}, flat);
        break;
    case Face::Back:
        EmitFace(0, 0, -1, {{-a, y0, -c}, {-a, y1, -c}, {a, y1, -c}, {a, y0, -c}}, flat);
        break;
    case Face::Top:
        EmitFace(0, 1, 0, {{a, y1, c}, {a, y1, -c}, {-a, y1, -c}, {-a, y1, c}}, flat);
        break;
    case Face::Bottom:
        EmitFace(0, -1, 0, {{-a, y0, -c}, {a, y0, -c}, {a, y0, c}, {-a, y0, c}}, flat);
        break;
    case Face::Right:
        EmitFace(1, 0, 0, {{a, y1, c}, {a, y0, c}, {a, y0, -c}, {a, y1, -c}}, flat);
        break;
    case Face::Left:
        EmitFace(-1, 0, 0, {{-a, y0, -c}, {-a, y0, c}, {-a, y1, c}, {-a, y1, -c}}, flat);
        break;
    }
}

void BindSlot(int slot)
{
    glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(slot));
}

void BuildPanel()
{
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 1);
    glVertex3f(100, 80, 0);
    glTexCoord2f(1, 1);
    glVertex3f(-100, 80, 0);
    glTexCoord2f(1, 0);
    glVertex3f(-100, -80, 0);
    glTexCoord2f(0, 0);
    glVertex3f(100, -80, 0);
    glEnd();
}

// The fixed sky layer: no normal, it is drawn unlit; its front faces down.
void BuildSky()
{
    glColor4f(1, 1, 1, 0.8f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(1000, 400, 1000);
    glTexCoord2f(0, 1);
    glVertex3f(-1000, 400, 1000);
    glTexCoord2f(1, 1);
    glVertex3f(-1000, 400, -1000);
    glTexCoord2f(1, 0);
    glVertex3f(1000, 400, -1000);
    glEnd();
}

// A sky tile with one bright corner (index 0..3 into P1..P4); the others
// fade to a dim, translucent black. The tile ends on opaque white, the
// colour the towers and the cathedral are drawn in.
void BuildSkyTile(int bright)
{
    static constexpr Corner P[4] = {{500, 400, 500}, {-500, 400, 500}, {-500, 400, -500}, {500, 400, -500}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        if (i == bright)
            glColor4f(1, 1, 1, 1);
        else
            glColor4f(0, 0, 0, 0.3f);
        glTexCoord2f(QuadS[i], QuadT[i]);
        glVertex3f(P[i].x, P[i].y, P[i].z);
    }
    glEnd();
    glColor4f(1, 1, 1, 1);
}

// A band of the wall ring, normals pointing into the ring. Culling is off
// while it draws so that the band shows from inside and outside alike; it
// is switched on at the end whatever it was before.
void BuildWallBand(GLfloat y0, GLfloat y1)
{
    glDisable(GL_CULL_FACE);
    glBegin(GL_QUADS);
    EmitFace(0, 0, 1, {{-325, y0, -325}, {325, y0, -325}, {325, y1, -325}, {-325, y1, -325}}, false);
    EmitFace(0, 0, -1, {{325, y1, 325}, {325, y0, 325}, {-325, y0, 325}, {-325, y1, 325}}, false);
    EmitFace(1, 0, 0, {{-325, y0, -325}, {-325, y1, -325}, {-325, y1, 325}, {-325, y0, 325}}, false);
    EmitFace(-1, 0, 0, {{325, y1, 325}, {325, y1, -325}, {325, y0, -325}, {325, y0, 325}}, false);
    glEnd();
    glEnable(GL_CULL_FACE);
}

// The caller binds the title image; the cube carries it on all six faces.
void BuildTitleCube()
{
    glBegin(GL_QUADS);
    for (Face f : {Face::Front, Face::Back, Face::Top, Face::Bottom, Face::Right, Face::Left})
        BoxFace(f, 35, 35, -35, 35);
    glEnd();
}

// One box of the cathedral: walls, roof and side walls each carry their own
// image, so each group is a primitive of its own after its bind.
void BuildCathedralBox(GLfloat a, GLfloat y0, GLfloat y1, int wallSlot)
{
    BindSlot(wallSlot);
    glBegin(GL_QUADS);
    BoxFace(Face::Front, a, a, y0, y1);
    BoxFace(Face::Back, a, a, y0, y1);
    glEnd();
    BindSlot(7);
    glBegin(GL_QUADS);
    BoxFace(Face::Top, a, a, y0, y1);
    glEnd();
    BindSlot(wallSlot);
    glBegin(GL_QUADS);
    BoxFace(Face::Right, a, a, y0, y1);
    BoxFace(Face::Left, a, a, y0, y1);
    glEnd();
}

void BuildCathedral()
{
    BuildCathedralBox(35, 0, 85, 6);
    BuildCathedralBox(25, 85, 125, 8);
}

// A box without a bottom whose top takes a single texel (slot 5's colour).
void BuildPlainBox(GLfloat a, GLfloat c, GLfloat y0, GLfloat y1)
{
    BindSlot(5);
    glBegin(GL_QUADS);
    BoxFace(Face::Front, a, c, y0, y1);
    BoxFace(Face::Back, a, c, y0, y1);
    BoxFace(Face::Top, a, c, y0, y1, true);
    BoxFace(Face::Right, a, c, y0, y1);
    BoxFace(Face::Left, a, c, y0, y1);
    glEnd();
}

void BuildTower()
{
    BuildPlainBox(15, 15, 0, 55);
    BuildPlainBox(10, 10, 55, 70);
}

// The wing's roof slopes from 80 at its inner (-x) end to 60 at its outer
// (+x) end; the drawing code turns it to face each way.
void BuildCathedralWing()
{
    BindSlot(6);
    glBegin(GL_QUADS);
    EmitFace(0, 0, 1, {{20, 60, 20}, {-20, 80, 20}, {-20, 0, 20}, {20, 0, 20}}, false);
    EmitFace(0, 0, -1, {{-20, 0, -20}, {-20, 80, -20}, {20, 60, -20}, {20, 0, -20}}, false);
    glEnd();
    BindSlot(7);
    glBegin(GL_QUADS);
    EmitFace(0, 1, 0, {{20, 60, 20}, {20, 60, -20}, {-20, 80, -20}, {-20, 80, 20}}, false);
    glEnd();
    BindSlot(9);
    glBegin(GL_QUADS);
    EmitFace(1, 0, 0, {{20, 60, 20}, {20, 0, 20}, {20, 0, -20}, {20, 60, -20}}, false);
    EmitFace(-1, 0, 0, {{-20, 0, -20}, {-20, 0, 20}, {-20, 80, 20}, {-20, 80, -20}}, false);
    glEnd();
}

// The post, then the crossbar: the only box of the scene with a bottom,
// since it hangs in the air.
void BuildCross()
{
    BuildPlainBox(4, 4, 125, 185);
    BindSlot(5);
    glBegin(GL_QUADS);
    BoxFace(Face::Front, 15, 5, 163, 170);
    BoxFace(Face::Back, 15, 5, 163, 170);
    BoxFace(Face::Top, 15, 5, 163, 170, true);
    BoxFace(Face::Bottom, 15, 5, 163, 170, true);
    BoxFace(Face::Right, 15, 5, 163, 170);
    BoxFace(Face::Left, 15, 5, 163, 170);
    glEnd();
}

std::int32_t TakeListId()
{
    return static_cast<std::int32_t>(glGenLists(1));
}

template <typename Build>
void Compile(std::int32_t id, Build build)
{
    glNewList(static_cast<GLuint>(id), GL_COMPILE);
    build();
    glEndList();
}

} // namespace

void BuildObjects()
{
    ListWall = TakeListId();
    ListWallTop = TakeListId();
    ListSky = TakeListId();
    ListSkyTile1 = TakeListId();
    ListSkyTile2 = TakeListId();
    ListSkyTile3 = TakeListId();
    ListSkyTile4 = TakeListId();
    ListCathedral = TakeListId();
    ListCathedralWing = TakeListId();
    ListCross = TakeListId();
    ListTower = TakeListId();
    ListTitleCube = TakeListId();
    ListPanel = TakeListId();

    Compile(ListPanel, BuildPanel);
    Compile(ListSky, BuildSky);
    Compile(ListSkyTile1, [] { BuildSkyTile(0); });
    Compile(ListSkyTile2, [] { BuildSkyTile(1); });
    Compile(ListSkyTile3, [] { BuildSkyTile(2); });
    Compile(ListSkyTile4, [] { BuildSkyTile(3); });
    Compile(ListWallTop, [] { BuildWallBand(25, 35); });
    Compile(ListWall, [] { BuildWallBand(0, 25); });
    Compile(ListTitleCube, BuildTitleCube);
    Compile(ListCathedral, BuildCathedral);
    Compile(ListTower, BuildTower);
    Compile(ListCathedralWing, BuildCathedralWing);
    Compile(ListCross, BuildCross);
}

} // namespace Objects
