// Three coloured point lights that swing round the scene: each frame every
// light is placed anew under its own pair of rotations, whose angles step
// on by a fixed amount per frame.
#include "gl/BasicGL.h"
#include "window/glTemplate.h"

#include "glapi/GL.h"

namespace {

void SetFour(Runtime::BoundedArray<GLfloat, 0, 3>& a, GLfloat v0, GLfloat v1, GLfloat v2, GLfloat v3)
{
    a(0) = v0;
    a(1) = v1;
    a(2) = v2;
    a(3) = v3;
}

} // namespace

void glTemplate::InitLighting()
{
    using namespace BasicGL;

    SetFour(Light0Diffuse, 0, 1, 0, 1); // green
    SetFour(Light0Position, 140, 0, 40, 1);
    SetFour(Light1Diffuse, 1, 0, 0, 1);   // red
    SetFour(Light1Position, 0, 0, 0, -1); // the origin of its own frame
    SetFour(Light2Diffuse, 0, 0, 1, 1);   // blue
    SetFour(Light2Position, -100, 0, -50, 1);

    glLightfv(GL_LIGHT0, GL_DIFFUSE, Light0Diffuse.data());
    glLightfv(GL_LIGHT0, GL_POSITION, Light0Position.data());
    glLightfv(GL_LIGHT1, GL_DIFFUSE, Light1Diffuse.data());
    glLightfv(GL_LIGHT1, GL_POSITION, Light1Position.data());
    glLightfv(GL_LIGHT2, GL_DIFFUSE, Light2Diffuse.data());
    glLightfv(GL_LIGHT2, GL_POSITION, Light2Position.data());

    // Lights 1 and 2 stay off until the first interlude switches them on.
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

void glTemplate::SetLights()
{
    using namespace BasicGL;
    using Runtime::Resume;

    // A failing statement is skipped; only the angle arithmetic can fail.
    Resume([&] { LightAngle1 = Runtime::AddInt32(LightAngle1, 5) % 360; });
    Resume([&] { LightAngle2 = static_cast<std::int16_t>(Runtime::AddInt16(LightAngle2, 10) % 360); });

    glPushMatrix();
    // Depth testing is off while the lights are placed and on again on the
    // way out: every caller finds it enabled afterwards, whatever it was.
    glDisable(GL_DEPTH_TEST);

    glPushMatrix();
    glRotated(static_cast<double>(LightAngle1), 1, 0, 0);
    glRotated(static_cast<double>(LightAngle2), 1, 1, 1);
    glLightfv(GL_LIGHT0, GL_POSITION, Light0Position.data());
    glPopMatrix();

    glPushMatrix();
    glRotated(static_cast<double>(LightAngle1), 1, 1, 0);
    glRotated(static_cast<double>(LightAngle2), 0, 1, 1);
    glLightfv(GL_LIGHT1, GL_POSITION, Light1Position.data());
    glPopMatrix();

    glPushMatrix();
    glRotated(static_cast<double>(LightAngle1), 1, 1, 1);
    glRotated(static_cast<double>(LightAngle2), 0, 0, 1);
    glLightfv(GL_LIGHT2, GL_POSITION, Light2Position.data());
    glPopMatrix();

    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}
