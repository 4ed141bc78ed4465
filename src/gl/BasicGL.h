// The show's fixed GL state and the globals shared across its modules:
// viewport size, camera, texture-name table, the display object and the
// light parameters.
#pragma once

#include "platform/Display.h"
#include "runtime/Runtime.h"

#include <GL/gl.h>
#include <cstdint>

namespace BasicGL {

// Viewport size in pixels, written once by start-up, read by InitGL.
extern std::int16_t ViewWidth;
extern std::int16_t ViewHeight;

// The camera: the negated eye position and two angles in degrees, applied
// as rotate(-CamPitch, x), rotate(-CamYaw, y), translate(CamX, CamY, CamZ).
extern double CamX;
extern double CamY;
extern double CamZ;
extern double CamYaw;
extern double CamPitch;

// GL texture names by slot, 0..20; InitGL fills 0..19, 20 stays 0.
extern Runtime::BoundedArray<GLuint, 0, 20> TextureIds;

// The full-screen display object, held for the life of the program.
extern platform::DirectDrawObject* DisplayDD;

// Light colours and positions, filled by InitLighting.
extern Runtime::BoundedArray<GLfloat, 0, 3> Light0Diffuse;
extern Runtime::BoundedArray<GLfloat, 0, 3> Light0Position;
extern Runtime::BoundedArray<GLfloat, 0, 3> Light1Diffuse;
extern Runtime::BoundedArray<GLfloat, 0, 3> Light1Position;
extern Runtime::BoundedArray<GLfloat, 0, 3> Light2Diffuse;
extern Runtime::BoundedArray<GLfloat, 0, 3> Light2Position;

// Sets the fixed GL state of the show and generates the texture names.
void InitGL();

} // namespace BasicGL
