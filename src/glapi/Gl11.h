// The part of OpenGL 1.1 and GLU that the show draws with, as one table of
// entry points. Natively the driver's own fixed function fills it; our
// renderer on OpenGL ES 3 fills it for --gl es and in the browser. The show's
// modules reach it through glapi/GL.h, which maps the usual gl* names onto
// this table, so their calls read exactly as they always did.
//
// Plain C types only (GLenum, GLuint and GLbitfield are unsigned int, GLint
// and GLsizei int, GLfloat and GLclampf float, GLdouble double), so that a
// desktop GL header or an ES header can sit beside this one.
#pragma once

namespace glapi {

struct Gl11 {
    // Immediate mode.
    void (*Begin)(unsigned mode);
    void (*End)();
    void (*Vertex3f)(float x, float y, float z);
    void (*Normal3f)(float x, float y, float z);
    void (*TexCoord2f)(float s, float t);
    void (*TexCoord2d)(double s, double t);
    void (*Color3f)(float r, float g, float b);
    void (*Color4f)(float r, float g, float b, float a);

    // Display lists.
    unsigned (*GenLists)(int range);
    void (*NewList)(unsigned list, unsigned mode);
    void (*EndList)();
    void (*CallList)(unsigned list);

    // Matrices and the viewport.
    void (*MatrixMode)(unsigned mode);
    void (*PushMatrix)();
    void (*PopMatrix)();
    void (*LoadIdentity)();
    void (*Rotated)(double angle, double x, double y, double z);
    void (*Translated)(double x, double y, double z);
    void (*Frustum)(double left, double right, double bottom, double top, double zNear, double zFar);
    void (*Viewport)(int x, int y, int width, int height);

    // Capabilities, lighting and fragment state.
    void (*Enable)(unsigned cap);
    void (*Disable)(unsigned cap);
    void (*Lightfv)(unsigned light, unsigned pname, const float* params);
    void (*LightModelfv)(unsigned pname, const float* params);
    void (*ColorMaterial)(unsigned face, unsigned mode);
    void (*ShadeModel)(unsigned mode);
    void (*BlendFunc)(unsigned sfactor, unsigned dfactor);
    void (*DepthFunc)(unsigned func);
    void (*DepthMask)(unsigned char flag);
    void (*Hint)(unsigned target, unsigned mode);

    // Textures.
    void (*GenTextures)(int n, unsigned* textures);
    void (*BindTexture)(unsigned target, unsigned texture);
    void (*TexImage2D)(unsigned target, int level, int internalFormat, int width, int height, int border,
                       unsigned format, unsigned type, const void* pixels);
    void (*TexParameteri)(unsigned target, unsigned pname, int param);
    void (*TexEnvi)(unsigned target, unsigned pname, int param);
    void (*PixelStorei)(unsigned pname, int param);
    int (*Build2DMipmaps)(unsigned target, int components, int width, int height, unsigned format, unsigned type,
                          const void* data);

    // The frame buffer.
    void (*Clear)(unsigned mask);
    void (*ClearColor)(float r, float g, float b, float a);
};

// The table the show's calls go through: empty until the program (or a test)
// chooses the GL to draw with, before the first context is made.
extern Gl11 Current;

// The driver's own OpenGL 1.1 and GLU (not in the browser).
Gl11 DesktopGL();

} // namespace glapi
