// What the show's modules include for OpenGL: the usual headers for types and
// constants, and every gl* name the show calls mapped onto glapi::Current.
// Nothing else includes this: the platform and the tests call their driver
// directly.
#pragma once

#include "glapi/Gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>

#define glBegin glapi::Current.Begin
#define glEnd glapi::Current.End
#define glVertex3f glapi::Current.Vertex3f
#define glNormal3f glapi::Current.Normal3f
#define glTexCoord2f glapi::Current.TexCoord2f
#define glTexCoord2d glapi::Current.TexCoord2d
#define glColor3f glapi::Current.Color3f
#define glColor4f glapi::Current.Color4f
#define glGenLists glapi::Current.GenLists
#define glNewList glapi::Current.NewList
#define glEndList glapi::Current.EndList
#define glCallList glapi::Current.CallList
#define glMatrixMode glapi::Current.MatrixMode
#define glPushMatrix glapi::Current.PushMatrix
#define glPopMatrix glapi::Current.PopMatrix
#define glLoadIdentity glapi::Current.LoadIdentity
#define glRotated glapi::Current.Rotated
#define glTranslated glapi::Current.Translated
#define glFrustum glapi::Current.Frustum
#define glViewport glapi::Current.Viewport
#define glEnable glapi::Current.Enable
#define glDisable glapi::Current.Disable
#define glLightfv glapi::Current.Lightfv
#define glLightModelfv glapi::Current.LightModelfv
#define glColorMaterial glapi::Current.ColorMaterial
#define glShadeModel glapi::Current.ShadeModel
#define glBlendFunc glapi::Current.BlendFunc
#define glDepthFunc glapi::Current.DepthFunc
#define glDepthMask glapi::Current.DepthMask
#define glHint glapi::Current.Hint
#define glGenTextures glapi::Current.GenTextures
#define glBindTexture glapi::Current.BindTexture
#define glTexImage2D glapi::Current.TexImage2D
#define glTexParameteri glapi::Current.TexParameteri
#define glTexEnvi glapi::Current.TexEnvi
#define glPixelStorei glapi::Current.PixelStorei
#define gluBuild2DMipmaps glapi::Current.Build2DMipmaps
#define glClear glapi::Current.Clear
#define glClearColor glapi::Current.ClearColor
