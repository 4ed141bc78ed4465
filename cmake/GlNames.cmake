# The gl* names the show calls, each the entry of glapi::Current it goes
# through (#define glBegin glapi::Current.Begin), written from the list of
# entry points in src/glapi/Entries.h into glapi/GlNames.h of the build tree,
# which src/glapi/GL.h includes. A macro cannot define macros, hence CMake.
set(_gl_entries ${PROJECT_SOURCE_DIR}/src/glapi/Entries.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_gl_entries})

file(STRINGS ${_gl_entries} _entry_lines REGEX "^ *GL11_ENTRY\\(")
set(CITADEL_GL_NAMES "")
foreach(_line IN LISTS _entry_lines)
  if(NOT _line MATCHES "^ *GL11_ENTRY\\(([a-z]+), *[^,]+, *([A-Za-z0-9]+), *\\(.*\\)\\)$")
    message(FATAL_ERROR "${_gl_entries}: not one entry point on one line: ${_line}")
  endif()
  string(APPEND CITADEL_GL_NAMES "#define ${CMAKE_MATCH_1}${CMAKE_MATCH_2} glapi::Current.${CMAKE_MATCH_2}\n")
endforeach()
if(NOT CITADEL_GL_NAMES)
  message(FATAL_ERROR "${_gl_entries}: no entry points")
endif()

file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/glapi/GlNames.h @ONLY CONTENT
"// Written by cmake/GlNames.cmake from src/glapi/Entries.h: each gl* name the
// show calls, as its entry of the table. Included by glapi/GL.h only.
#pragma once

@CITADEL_GL_NAMES@")
include_directories(${CMAKE_BINARY_DIR}/generated)
