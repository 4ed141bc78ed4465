// GL 1.1's lighting: the light, material and light-model state with GL's
// defaults, how glLightfv and glColorMaterial change it, the lighting
// equation as a reference in double, and the GLSL that evaluates the same
// terms per vertex.
#pragma once

#include "gles/Matrix.h"

#include <array>

namespace gles {

using Vec3 = std::array<float, 3>;
using Vec4 = std::array<float, 4>;

// One light source; positions and directions in eye coordinates, as GL keeps
// them once they have gone through the modelview matrix.
struct Light {
    bool enabled = false;
    Vec4 ambient{0, 0, 0, 1};
    Vec4 diffuse{0, 0, 0, 1};
    Vec4 specular{0, 0, 0, 1};
    Vec4 position{0, 0, 1, 0};
    Vec3 spotDirection{0, 0, -1};
    float spotExponent = 0;
    float spotCutoff = 180;
    Vec3 attenuation{1, 0, 0}; // constant, linear, quadratic
    bool operator==(const Light&) const = default;
};

// GL's light i at start-up: only light 0 has white diffuse and specular.
Light MakeDefaultLight(int index);

// The front material (the renderer lights one side only).
struct Material {
    Vec4 ambient{0.2f, 0.2f, 0.2f, 1};
    Vec4 diffuse{0.8f, 0.8f, 0.8f, 1};
    Vec4 specular{0, 0, 0, 1};
    Vec4 emission{0, 0, 0, 1};
    float shininess = 0;
    bool operator==(const Material&) const = default;
};

// The light model; two-sided lighting is outside the subset.
struct LightModel {
    Vec4 ambient{0.2f, 0.2f, 0.2f, 1};
    bool localViewer = false;
    bool operator==(const LightModel&) const = default;
};

// Material properties, as bits, that the current colour can stand in for.
enum MaterialProperty : unsigned {
    MaterialAmbient = 1,
    MaterialDiffuse = 2,
    MaterialSpecular = 4,
    MaterialEmission = 8,
};

// glLightfv(pname, params) on one light; a position or spot direction goes
// through modelview. Throws Error for a pname or value GL rejects.
void SetLightParameter(Light& light, unsigned pname, const float* params, const Matrix& modelview);

// How many floats glLightfv(pname) reads: 4, 3 or 1.
int CountLightParameters(unsigned pname);

// How many floats glLightModelfv(pname) reads: 4 or 1.
int CountLightModelParameters(unsigned pname);

// glLightModelfv(pname, params). Throws Error for two-sided lighting.
void SetLightModelParameter(LightModel& model, unsigned pname, const float* params);

// The front-material properties (MaterialProperty bits) that
// glColorMaterial(face, mode) makes follow the current colour.
unsigned GetColorMaterialProperties(unsigned face, unsigned mode);

// material with the properties in the bit set taken from color.
Material TrackColor(const Material& material, unsigned properties, const Vec4& color);

// The position the shader takes: a direction normalised (w 0), or a point
// divided through by its w.
Vec4 PrepareLightPosition(const Light& light);

// The cosine of the spot cutoff, or -2 for a light that is no spotlight.
float ComputeSpotCosine(const Light& light);

// The lit RGBA of a vertex at eyePosition with eyeNormal under the enabled
// lights, clamped to [0, 1]: GL's lighting equation, evaluated in double.
std::array<double, 4> ComputeLitColor(const std::array<Light, 8>& lights, const LightModel& model,
                                      const Material& material, const std::array<double, 3>& eyePosition,
                                      const std::array<double, 3>& eyeNormal);

// The GLSL of the same equation, ComputeLitColor(eye position, eye normal, colour),
// with the uniforms it reads; the renderer's vertex shader includes it.
extern const char* const LightingShaderSource;

} // namespace gles
