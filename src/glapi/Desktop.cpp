// The driver's own fixed function behind the show's table.
#include "glapi/Gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace glapi {

Gl11 DesktopGL()
{
    Gl11 gl{};
    // gl.Begin = glBegin, ..., gl.Build2DMipmaps = gluBuild2DMipmaps.
#define GL11_ENTRY(prefix, result, Name, parameters) gl.Name = prefix##Name;
#include "glapi/Entries.h"
#undef GL11_ENTRY
    return gl;
}

} // namespace glapi
