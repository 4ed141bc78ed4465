// The part of OpenGL 1.1 and GLU that the show draws with, as one table of
// entry points. Natively the driver's own fixed function fills it; our
// renderer on OpenGL ES 3 fills it for --gl es and in the browser. The show's
// modules reach it through glapi/GL.h, which maps the usual gl* names onto
// this table, so their calls read exactly as they always did. The entry
// points are listed once, in glapi/Entries.h.
#pragma once

namespace glapi {

struct Gl11 {
#define GL11_ENTRY(prefix, result, Name, parameters) result(*Name) parameters;
#include "glapi/Entries.h"
#undef GL11_ENTRY
};

// The table the show's calls go through: empty until the program (or a test)
// chooses the GL to draw with, before the first context is made.
extern Gl11 Current;

// The driver's own OpenGL 1.1 and GLU (not in the browser).
Gl11 DesktopGL();

} // namespace glapi
