#include "gl/BasicGL.h"

#include "testing/Testing.h"

#include "glapi/GL.h"

namespace BasicGL {

std::int16_t ViewWidth = 0;
std::int16_t ViewHeight = 0;

double CamX = 0;
double CamY = 0;
double CamZ = 0;
double CamYaw = 0;
double CamPitch = 0;

Runtime::BoundedArray<GLuint, 0, 20> TextureIds;

platform::DirectDrawObject* DisplayDD = nullptr;

Runtime::BoundedArray<GLfloat, 0, 3> Light0Diffuse;
Runtime::BoundedArray<GLfloat, 0, 3> Light0Position;
Runtime::BoundedArray<GLfloat, 0, 3> Light1Diffuse;
Runtime::BoundedArray<GLfloat, 0, 3> Light1Position;
Runtime::BoundedArray<GLfloat, 0, 3> Light2Diffuse;
Runtime::BoundedArray<GLfloat, 0, 3> Light2Position;

void InitGL()
{
    GLfloat ambient[4] = {0.2f, 0.2f, 0.2f, 0.2f};

    glMatrixMode(GL_PROJECTION);
    // No identity first: the frustum multiplies onto the fresh context's
    // identity, once.
    glFrustum(-4, 4, -3, 3, 4, 4096);
    glViewport(0, 0, ViewWidth, ViewHeight);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_DITHER);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glGenTextures(20, TextureIds.data());
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glClearColor(0, 0, 0, 0);
}

void ResetBasicGL()
{
    ViewWidth = ViewHeight = 0;
    CamX = CamY = CamZ = CamYaw = CamPitch = 0;
    TextureIds.Fill(0);
    DisplayDD = nullptr;
    for (auto* light :
         {&Light0Diffuse, &Light0Position, &Light1Diffuse, &Light1Position, &Light2Diffuse, &Light2Position})
        light->Fill(0);
}

} // namespace BasicGL
