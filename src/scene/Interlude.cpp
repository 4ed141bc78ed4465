// The interlude between two views of the scene: 200 frames of eight
// additive panels swirling on black through a wide-angle projection, then
// the camera is placed for the next view.
#include "gl/BasicGL.h"
#include "scene/Objects.h"
#include "window/glTemplate.h"

#include "glapi/GL.h"

namespace {

constexpr std::int16_t InterludeFrames = 200;
constexpr std::int16_t DepthTurn = 50;
constexpr int PanelSlot = 14;
constexpr int PanelCount = 8;

struct CameraPlacement {
    double CamX;
    double CamY;
    double CamZ;
    double CamPitch;
};

// Where the camera goes after the interlude that follows orbit TurnCount.
constexpr CameraPlacement PlacementByTurn[] = {
    //  CamX   CamY  CamZ  CamPitch
    {50, -240, 50, -80},     // 1
    {100, 0, 50, 45},        // 2
    {100, -200, 400, -20},   // 3
    {-100, -20, 100, 65},    // 4
    {-100, -200, -100, -90}, // 5
    {100, 0, 50, 90},        // 6
};
constexpr CameraPlacement PlacementOtherwise = {0, -80, 0, -70}; // 7, or anything else

// Replaces the projection matrix with a frustum; the modelview matrix is
// pushed around the switch and comes back current and unchanged.
void SetProjection(double left, double right, double bottom, double top, double nearZ, double farZ)
{
    glPushMatrix();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(left, right, bottom, top, nearZ, farZ);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void PlaceCamera(std::int16_t TurnCount)
{
    const bool inTable = TurnCount >= 1 && TurnCount <= 6;
    const CameraPlacement& at = inTable ? PlacementByTurn[TurnCount - 1] : PlacementOtherwise;
    BasicGL::CamX = at.CamX;
    BasicGL::CamY = at.CamY;
    BasicGL::CamZ = at.CamZ;
    BasicGL::CamPitch = at.CamPitch;
}

} // namespace

void glTemplate::DisplayTerrain()
{
    using Runtime::AddInt16;

    glPushMatrix();

    InterludeFrame = AddInt16(InterludeFrame, 1);
    if (InterludeFrame == 1) SetProjection(-6, 6, -4, 4, 1, 4096);

    InterludeSpin = static_cast<std::int16_t>(AddInt16(InterludeSpin, 2) % 360);

    // The star breathes: 60 units out plus a depth that climbs to 50 and
    // falls back to 0, one swing every 100 frames.
    if (InterludeReturn == 0) {
        InterludeDepth = AddInt16(InterludeDepth, 1);
        if (InterludeDepth == DepthTurn) InterludeReturn = 1;
    } else {
        InterludeDepth = AddInt16(InterludeDepth, -1);
        if (InterludeDepth == 0) InterludeReturn = 0;
    }

    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_ONE, GL_ONE);

    glRotated(180, 0, 0, 1);
    glRotated(120, 1, 0, 0);
    glRotated(static_cast<double>(InterludeSpin), 1, 0, 1);
    glTranslated(0, 0, AddInt16(-60, -InterludeDepth));

    // From here on a failing statement is skipped; of these statements only
    // the texture-table lookup could fail.
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    Runtime::Resume([] { glBindTexture(GL_TEXTURE_2D, BasicGL::TextureIds(PanelSlot)); });
    glColor4f(1, 1, 1, 0.3f);

    // Eight panels 45 degrees apart about the local y axis: four planes,
    // each drawn twice back to back.
    for (int panel = 0; panel < PanelCount; ++panel) {
        if (panel > 0) glRotated(45, 0, 1, 0);
        glCallList(static_cast<GLuint>(Objects::ListPanel));
    }

    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glPopMatrix();
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    if (InterludeFrame == InterludeFrames) {
        SetProjection(-4, 4, -3, 3, 4, 4096);
        InterludeActive = Runtime::False;
        SceneActive = Runtime::True;
        InterludeFrame = 0;
        PlaceCamera(TurnCount);
    }
}
