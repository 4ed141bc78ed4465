// Our own OpenGL 1.1 for the show, drawn with OpenGL ES 3.0 (WebGL 2 in the
// browser): the fixed function's transform, lighting and texturing evaluated
// by shader programs (a variant for each fragment state), following GL's
// equations and Mesa's arithmetic.
//
// The renderer provides:
//   the entry points of glapi::Gl11, through Table():
//     glBegin/glEnd (triangles, strips, fans, quads, quad strips, polygons),
//     glVertex3f, glNormal3f, glTexCoord2f/2d, glColor3f/4f;
//     glGenLists, glNewList (GL_COMPILE), glEndList, glCallList;
//     glMatrixMode, glPushMatrix, glPopMatrix, glLoadIdentity, glRotated,
//     glTranslated, glFrustum, glViewport;
//     glEnable/glDisable of GL_LIGHTING, GL_LIGHT0..7, GL_COLOR_MATERIAL,
//     GL_NORMALIZE, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND,
//     GL_DITHER; glLightfv, glLightModelfv (one-sided), glColorMaterial,
//     glShadeModel, glBlendFunc, glDepthFunc, glDepthMask, glHint;
//     glGenTextures, glBindTexture, glTexImage2D (GL_RGB/GL_RGBA bytes),
//     glTexParameteri (filters, GL_REPEAT), glTexEnvi (GL_MODULATE,
//     GL_REPLACE, GL_DECAL, GL_BLEND), glPixelStorei (alignments),
//     gluBuild2DMipmaps (sizes that are powers of two);
//     glClear, glClearColor.
//   the context functions, as a platform's wglCreateContext,
//   wglMakeCurrent, wglDeleteContext and SwapBuffers use them:
//     CreateContext, MakeCurrent, DeleteContext, Flush.
//
// Anything else, and anything GL would reject (a stack overflow, glEnd
// without glBegin, ...), throws Error naming the call. The renderer draws
// into whatever framebuffer the platform has bound and never binds one; the
// platform calls Flush before it reads or presents that framebuffer, and
// between frames may blit or read it, restoring any other ES state it changes,
// or draw it with a program of its own and call RestoreEsState.
#pragma once

#include "glapi/Gl11.h"
#include "gles/Error.h"

#include <array>

namespace gles {

// All GL 1.1 state of one rendering context, and its ES objects.
struct Context;

// A context with GL 1.1's initial state, for the ES 3.0 context current now
// (which it draws with from then on). Throws Error when its shaders do not
// build.
Context* CreateContext();

// Makes context the one the entry points act on (nullptr: none), drawing
// what the previous one batched first: switch ES contexts between
// MakeCurrent(nullptr) and MakeCurrent(next). context's ES context must be
// current.
void MakeCurrent(Context* context);

// Frees context, unmaking it current first. Its ES objects are deleted only
// when it is the current one; otherwise they go with their ES context.
void DeleteContext(Context* context);

// Draws everything batched in the current context (if any); a frame ends
// with it. Throws Error if the ES context reported an error meanwhile (on
// the flushes that check, see CheckErrorsEvery).
void Flush();

// Makes every flushes-th Flush ask the ES context for errors (1, every one,
// at start; 0: none, only CheckErrors). In a browser each check waits for
// the GPU process, so a web build may look only where it waits anyway.
void CheckErrorsEvery(int flushes);

// Asks the ES context for errors now; throws Error if it reported one.
void CheckErrors();

// The current context's clear colour as the ES context holds it (clamped),
// so that a platform that changes it can put it back without asking GL.
std::array<float, 4> ClearColour();

// Puts back the ES state the renderer relies on (program, vertex array,
// textures, switches, blending, viewport, clear colour) after the platform
// has drawn between frames with a program of its own.
void RestoreEsState();

// Makes the current context store its fragments as Mesa's software
// rasteriser (llvmpipe) stores them into an RGB565 framebuffer, to the bit,
// whatever the ES context's own rounding (on: true), or leaves that to the
// ES context again (false). Mesa blends in 8-bit integers and keeps the top
// 5 or 6 bits of each sum where most rasterisers blend in floating point and
// round, and layers of blending add up the difference. The shader then works
// out what Mesa would store, reading a copy of the framebuffer under the
// draws that need it (GL_ONE, GL_ONE; GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA
// with some alpha below 1), which costs a copy and a draw for each group of
// overlapping primitives. Other blend factors stay the ES context's. Needs
// the framebuffer bound now to be single-sampled RGB565, and stays off
// (returns false) when it is not; the platform must draw into that one.
bool EmulateMesaBlending(bool on);

// The entry points, acting on the current context, for glapi::Current.
glapi::Gl11 Table();

} // namespace gles
