#include "gles/Lighting.h"

#include "gles/Enums.h"
#include "gles/Error.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace gles {

namespace {

using Double3 = std::array<double, 3>;

double Dot(const Double3& a, const Double3& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Double3 Normalized(const Double3& v)
{
    const double length = std::sqrt(Dot(v, v));
    return length > 0 ? Double3{v[0] / length, v[1] / length, v[2] / length} : v;
}

// x to the power e with 0^0 = 1, as the lighting equation reads.
double Power(double x, double e)
{
    return e == 0 ? 1 : (x > 0 ? std::pow(x, e) : 0);
}

[[noreturn]] void FailValue(const char* call, unsigned pname, float value)
{
    Fail(std::string(call) + "(" + FormatEnum(pname) + ", " + std::to_string(value) +
         "): the value is out of GL's range");
}

} // namespace

Light MakeDefaultLight(int index)
{
    Light light;
    if (index == 0) light.diffuse = light.specular = {1, 1, 1, 1};
    return light;
}

void SetLightParameter(Light& light, unsigned pname, const float* p, const Matrix& modelview)
{
    switch (pname) {
    case glenum::Ambient:
        light.ambient = {p[0], p[1], p[2], p[3]};
        break;
    case glenum::Diffuse:
        light.diffuse = {p[0], p[1], p[2], p[3]};
        break;
    case glenum::Specular:
        light.specular = {p[0], p[1], p[2], p[3]};
        break;
    case glenum::Position:
        light.position = TransformPoint(modelview, {p[0], p[1], p[2], p[3]});
        break;
    case glenum::SpotDirection:
        light.spotDirection = TransformDirection(modelview, {p[0], p[1], p[2]});
        break;
    case glenum::SpotExponent:
        if (!(p[0] >= 0 && p[0] <= 128)) FailValue("glLightfv", pname, p[0]);
        light.spotExponent = p[0];
        break;
    case glenum::SpotCutoff:
        if (!((p[0] >= 0 && p[0] <= 90) || p[0] == 180)) FailValue("glLightfv", pname, p[0]);
        light.spotCutoff = p[0];
        break;
    case glenum::ConstantAttenuation:
    case glenum::LinearAttenuation:
    case glenum::QuadraticAttenuation:
        if (!(p[0] >= 0)) FailValue("glLightfv", pname, p[0]);
        light.attenuation[pname - glenum::ConstantAttenuation] = p[0];
        break;
    default:
        FailUnsupported("glLightfv", pname);
    }
}

int CountLightParameters(unsigned pname)
{
    switch (pname) {
    case glenum::Ambient:
    case glenum::Diffuse:
    case glenum::Specular:
    case glenum::Position:
        return 4;
    case glenum::SpotDirection:
        return 3;
    default:
        return 1;
    }
}

int CountLightModelParameters(unsigned pname)
{
    return pname == glenum::LightModelAmbient ? 4 : 1;
}

void SetLightModelParameter(LightModel& model, unsigned pname, const float* p)
{
    switch (pname) {
    case glenum::LightModelAmbient:
        model.ambient = {p[0], p[1], p[2], p[3]};
        break;
    case glenum::LightModelLocalViewer:
        model.localViewer = p[0] != 0;
        break;
    case glenum::LightModelTwoSide:
        if (p[0] != 0) Fail("two-sided lighting, glLightModelfv(" + FormatEnum(pname) + ", 1), is not supported");
        break;
    default:
        FailUnsupported("glLightModelfv", pname);
    }
}

unsigned GetColorMaterialProperties(unsigned face, unsigned mode)
{
    if (face != glenum::Front && face != glenum::Back && face != glenum::FrontAndBack)
        FailUnsupported("glColorMaterial", face);
    unsigned properties = 0;
    switch (mode) {
    case glenum::Ambient:
        properties = MaterialAmbient;
        break;
    case glenum::Diffuse:
        properties = MaterialDiffuse;
        break;
    case glenum::Specular:
        properties = MaterialSpecular;
        break;
    case glenum::Emission:
        properties = MaterialEmission;
        break;
    case glenum::AmbientAndDiffuse:
        properties = MaterialAmbient | MaterialDiffuse;
        break;
    default:
        FailUnsupported("glColorMaterial", mode);
    }
    // Only the back material would follow; one-sided lighting never uses it.
    return face == glenum::Back ? 0 : properties;
}

Material TrackColor(const Material& material, unsigned properties, const Vec4& color)
{
    Material m = material;
    if (properties & MaterialAmbient) m.ambient = color;
    if (properties & MaterialDiffuse) m.diffuse = color;
    if (properties & MaterialSpecular) m.specular = color;
    if (properties & MaterialEmission) m.emission = color;
    return m;
}

Vec4 PrepareLightPosition(const Light& light)
{
    const Vec4& p = light.position;
    if (p[3] == 0) {
        const float squared = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        const float scale = squared > 0 ? 1.0f / std::sqrt(squared) : 1.0f;
        return {p[0] * scale, p[1] * scale, p[2] * scale, 0};
    }
    const float scale = 1.0f / p[3];
    return {p[0] * scale, p[1] * scale, p[2] * scale, 1};
}

float ComputeSpotCosine(const Light& light)
{
    return light.spotCutoff == 180 ? -2.0f : static_cast<float>(std::cos(light.spotCutoff * std::numbers::pi / 180.0));
}

std::array<double, 4> ComputeLitColor(const std::array<Light, 8>& lights, const LightModel& model,
                                      const Material& material, const std::array<double, 3>& v,
                                      const std::array<double, 3>& n)
{
    const auto rgb = [](const Vec4& c) { return Double3{c[0], c[1], c[2]}; };
    const Double3 ambient = rgb(material.ambient), diffuse = rgb(material.diffuse);
    const Double3 specular = rgb(material.specular), emission = rgb(material.emission);
    Double3 c;
    for (std::size_t k = 0; k < 3; ++k) c[k] = emission[k] + ambient[k] * model.ambient[k];

    for (const Light& light : lights) {
        if (!light.enabled) continue;
        const Vec4& p = light.position;
        Double3 toLight;
        double attenuation = 1;
        if (p[3] == 0) {
            toLight = Normalized({p[0], p[1], p[2]});
        } else {
            const Double3 d{p[0] / p[3] - v[0], p[1] / p[3] - v[1], p[2] / p[3] - v[2]};
            const double distance = std::sqrt(Dot(d, d));
            toLight = Normalized(d);
            attenuation = 1 / (light.attenuation[0] + light.attenuation[1] * distance +
                               light.attenuation[2] * distance * distance);
        }
        if (light.spotCutoff != 180) {
            const Double3 axis = Normalized({light.spotDirection[0], light.spotDirection[1], light.spotDirection[2]});
            const double s = -Dot(toLight, axis);
            attenuation *= s >= std::cos(light.spotCutoff * std::numbers::pi / 180) ? Power(s, light.spotExponent) : 0;
        }
        const double nl = std::max(Dot(n, toLight), 0.0);
        double nh = 0;
        if (nl > 0) {
            const Double3 eye = model.localViewer ? Normalized({-v[0], -v[1], -v[2]}) : Double3{0, 0, 1};
            const Double3 half = Normalized({toLight[0] + eye[0], toLight[1] + eye[1], toLight[2] + eye[2]});
            nh = Power(std::max(Dot(n, half), 0.0), material.shininess);
        }
        for (std::size_t k = 0; k < 3; ++k)
            c[k] += attenuation * (ambient[k] * light.ambient[k] + nl * diffuse[k] * light.diffuse[k] +
                                   (nl > 0 ? nh * specular[k] * light.specular[k] : 0));
    }
    const auto unit = [](double x) { return std::clamp(x, 0.0, 1.0); };
    return {unit(c[0]), unit(c[1]), unit(c[2]), unit(material.diffuse[3])};
}

// The loop follows the reference term by term; lights arrive packed, the
// enabled ones first, with positions from PrepareLightPosition.
const char* const LightingShaderSource = R"(
const int MaxLights = 8;
uniform int u_lightCount;
uniform vec4 u_lightPosition[MaxLights];
uniform vec3 u_lightAmbient[MaxLights];
uniform vec3 u_lightDiffuse[MaxLights];
uniform vec3 u_lightSpecular[MaxLights];
uniform vec3 u_lightAttenuation[MaxLights];
uniform vec3 u_spotDirection[MaxLights];
uniform float u_spotExponent[MaxLights];
uniform float u_spotCosine[MaxLights];
uniform vec4 u_materialAmbient;
uniform vec4 u_materialDiffuse;
uniform vec4 u_materialSpecular;
uniform vec4 u_materialEmission;
uniform float u_materialShininess;
uniform int u_colorMaterial;
uniform vec4 u_lightModelAmbient;
uniform bool u_localViewer;

float Power(float x, float e)
{
    return e == 0.0 ? 1.0 : (x > 0.0 ? pow(x, e) : 0.0);
}

vec4 ComputeLitColor(vec3 v, vec3 n, vec4 color)
{
    vec4 ambient = (u_colorMaterial & 1) != 0 ? color : u_materialAmbient;
    vec4 diffuse = (u_colorMaterial & 2) != 0 ? color : u_materialDiffuse;
    vec4 specular = (u_colorMaterial & 4) != 0 ? color : u_materialSpecular;
    vec4 emission = (u_colorMaterial & 8) != 0 ? color : u_materialEmission;
    vec3 c = u_lightModelAmbient.rgb * ambient.rgb + emission.rgb;
    for (int i = 0; i < u_lightCount; ++i) {
        vec4 p = u_lightPosition[i];
        vec3 toLight = p.xyz;
        float attenuation = 1.0;
        if (p.w != 0.0) {
            vec3 d = p.xyz - v;
            float inverseDistance = inversesqrt(dot(d, d));
            float distance = 1.0 / inverseDistance;
            toLight = d * inverseDistance;
            attenuation = 1.0 / dot(u_lightAttenuation[i], vec3(1.0, distance, distance * distance));
        }
        if (u_spotCosine[i] >= -1.0) {
            float s = -dot(toLight, normalize(u_spotDirection[i]));
            attenuation *= s >= u_spotCosine[i] ? Power(s, u_spotExponent[i]) : 0.0;
        }
        c += attenuation * (u_lightAmbient[i] * ambient.rgb);
        float nl = max(dot(n, toLight), 0.0);
        c += (attenuation * nl) * (u_lightDiffuse[i] * diffuse.rgb);
        if (nl > 0.0) {
            vec3 h = u_localViewer ? toLight - normalize(v) : toLight + vec3(0.0, 0.0, 1.0);
            float nh = max(dot(n, normalize(h)), 0.0);
            c += (attenuation * Power(nh, u_materialShininess)) * (u_lightSpecular[i] * specular.rgb);
        }
    }
    return vec4(c, diffuse.a);
}
)";

} // namespace gles
