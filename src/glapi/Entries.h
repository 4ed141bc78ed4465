// The part of OpenGL 1.1 and GLU that the show draws with: one line an entry
// point, from which the table (glapi::Gl11), the gl* names of glapi/GL.h, the
// driver's table and our renderer's table are all made. Each line reads
// GL11_ENTRY(prefix, result, Name, (parameters)): the show calls it as
// prefix##Name (glBegin, gluBuild2DMipmaps), the table holds it as Name.
// CMake reads the lines to write the gl* names (cmake/GlNames.cmake), so each
// stays on one line.
//
// Plain C types only (GLenum, GLuint and GLbitfield are unsigned int, GLint
// and GLsizei int, GLfloat and GLclampf float, GLdouble double, GLboolean
// unsigned char), so that a desktop GL header or an ES header can sit beside
// the table.
//
// No include guard: each includer defines GL11_ENTRY, includes this, and
// undefines it.

// clang-format off

// Immediate mode.
GL11_ENTRY(gl, void, Begin, (unsigned mode))
GL11_ENTRY(gl, void, End, ())
GL11_ENTRY(gl, void, Vertex3f, (float x, float y, float z))
GL11_ENTRY(gl, void, Normal3f, (float x, float y, float z))
GL11_ENTRY(gl, void, TexCoord2f, (float s, float t))
GL11_ENTRY(gl, void, TexCoord2d, (double s, double t))
GL11_ENTRY(gl, void, Color3f, (float r, float g, float b))
GL11_ENTRY(gl, void, Color4f, (float r, float g, float b, float a))

// Display lists.
GL11_ENTRY(gl, unsigned, GenLists, (int range))
GL11_ENTRY(gl, void, NewList, (unsigned list, unsigned mode))
GL11_ENTRY(gl, void, EndList, ())
GL11_ENTRY(gl, void, CallList, (unsigned list))

// Matrices and the viewport.
GL11_ENTRY(gl, void, MatrixMode, (unsigned mode))
GL11_ENTRY(gl, void, PushMatrix, ())
GL11_ENTRY(gl, void, PopMatrix, ())
GL11_ENTRY(gl, void, LoadIdentity, ())
GL11_ENTRY(gl, void, Rotated, (double angle, double x, double y, double z))
GL11_ENTRY(gl, void, Translated, (double x, double y, double z))
GL11_ENTRY(gl, void, Frustum, (double left, double right, double bottom, double top, double zNear, double zFar))
GL11_ENTRY(gl, void, Viewport, (int x, int y, int width, int height))

// Capabilities, lighting and fragment state.
GL11_ENTRY(gl, void, Enable, (unsigned cap))
GL11_ENTRY(gl, void, Disable, (unsigned cap))
GL11_ENTRY(gl, void, Lightfv, (unsigned light, unsigned pname, const float* params))
GL11_ENTRY(gl, void, LightModelfv, (unsigned pname, const float* params))
GL11_ENTRY(gl, void, ColorMaterial, (unsigned face, unsigned mode))
GL11_ENTRY(gl, void, ShadeModel, (unsigned mode))
GL11_ENTRY(gl, void, BlendFunc, (unsigned sfactor, unsigned dfactor))
GL11_ENTRY(gl, void, DepthFunc, (unsigned func))
GL11_ENTRY(gl, void, DepthMask, (unsigned char flag))
GL11_ENTRY(gl, void, Hint, (unsigned target, unsigned mode))

// Textures.
GL11_ENTRY(gl, void, GenTextures, (int n, unsigned* textures))
GL11_ENTRY(gl, void, BindTexture, (unsigned target, unsigned texture))
GL11_ENTRY(gl, void, TexImage2D, (unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format, unsigned type, const void* pixels))
GL11_ENTRY(gl, void, TexParameteri, (unsigned target, unsigned pname, int param))
GL11_ENTRY(gl, void, TexEnvi, (unsigned target, unsigned pname, int param))
GL11_ENTRY(gl, void, PixelStorei, (unsigned pname, int param))
GL11_ENTRY(glu, int, Build2DMipmaps, (unsigned target, int components, int width, int height, unsigned format, unsigned type, const void* data))

// The frame buffer.
GL11_ENTRY(gl, void, Clear, (unsigned mask))
GL11_ENTRY(gl, void, ClearColor, (float r, float g, float b, float a))

// clang-format on
