// The driver's own fixed function behind the show's table.
#include "glapi/Gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace glapi {

Gl11 DesktopGL()
{
    Gl11 gl{};
    gl.Begin = glBegin;
    gl.End = glEnd;
    gl.Vertex3f = glVertex3f;
    gl.Normal3f = glNormal3f;
    gl.TexCoord2f = glTexCoord2f;
    gl.TexCoord2d = glTexCoord2d;
    gl.Color3f = glColor3f;
    gl.Color4f = glColor4f;
    gl.GenLists = glGenLists;
    gl.NewList = glNewList;
    gl.EndList = glEndList;
    gl.CallList = glCallList;
    gl.MatrixMode = glMatrixMode;
    gl.PushMatrix = glPushMatrix;
    gl.PopMatrix = glPopMatrix;
    gl.LoadIdentity = glLoadIdentity;
    gl.Rotated = glRotated;
    gl.Translated = glTranslated;
    gl.Frustum = glFrustum;
    gl.Viewport = glViewport;
    gl.Enable = glEnable;
    gl.Disable = glDisable;
    gl.Lightfv = glLightfv;
    gl.LightModelfv = glLightModelfv;
    gl.ColorMaterial = glColorMaterial;
    gl.ShadeModel = glShadeModel;
    gl.BlendFunc = glBlendFunc;
    gl.DepthFunc = glDepthFunc;
    gl.DepthMask = glDepthMask;
    gl.Hint = glHint;
    gl.GenTextures = glGenTextures;
    gl.BindTexture = glBindTexture;
    gl.TexImage2D = glTexImage2D;
    gl.TexParameteri = glTexParameteri;
    gl.TexEnvi = glTexEnvi;
    gl.PixelStorei = glPixelStorei;
    gl.Build2DMipmaps = gluBuild2DMipmaps;
    gl.Clear = glClear;
    gl.ClearColor = glClearColor;
    return gl;
}

} // namespace glapi
