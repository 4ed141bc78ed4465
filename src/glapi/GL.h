// What the show's modules include for OpenGL: the usual headers for types and
// constants, and every gl* name the show calls mapped onto glapi::Current.
// Nothing else includes this: the platform and the tests call their driver
// directly.
#pragma once

#include "glapi/Gl11.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <type_traits>

// #define glBegin glapi::Current.Begin, and so on for each line of
// glapi/Entries.h: written by CMake into the build tree (cmake/GlNames.cmake),
// as a macro cannot define macros.
#include "glapi/GlNames.h"

// A name left out would call the driver directly, past the table.
#define GL11_ENTRY(prefix, result, Name, parameters)                                                                   \
    static_assert(std::is_pointer_v<decltype(prefix##Name)>, #prefix #Name " is not mapped onto glapi::Current");
#include "glapi/Entries.h"
#undef GL11_ENTRY
