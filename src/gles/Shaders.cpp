#include "gles/Shaders.h"

#include "gles/Error.h"
#include "gles/Lighting.h"

#include <GLES3/gl3.h>

#include <string>

namespace gles {

namespace {

const char* const VertexHeader = R"(#version 300 es
precision highp float;
precision highp int;
)";

const char* const VertexMain = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec4 a_color;
layout(location = 3) in vec2 a_texCoord;
layout(location = 4) in vec3 a_inherit;

uniform mat4 u_modelviewProjection;
uniform mat4 u_modelview;
uniform mat3 u_normalMatrix;
uniform mat4 u_textureMatrix;
uniform vec4 u_currentColor;
uniform vec3 u_currentNormal;
uniform vec2 u_currentTexCoord;
uniform bool u_lighting;
uniform bool u_normalize;

out vec4 v_color;
flat out vec4 v_flatColor;
out vec4 v_texCoord;

void main()
{
    vec4 position = vec4(a_position, 1.0);
    gl_Position = u_modelviewProjection * position;
    vec4 color = a_inherit.x != 0.0 ? u_currentColor : a_color;
    vec3 normal = a_inherit.y != 0.0 ? u_currentNormal : a_normal;
    vec2 texCoord = a_inherit.z != 0.0 ? u_currentTexCoord : a_texCoord;
    if (u_lighting) {
        vec3 eyeNormal = u_normalMatrix * normal;
        if (u_normalize) eyeNormal = normalize(eyeNormal);
        color = ComputeLitColor((u_modelview * position).xyz, eyeNormal, color);
    }
    v_color = clamp(color, 0.0, 1.0);
    v_flatColor = v_color;
    v_texCoord = u_textureMatrix * vec4(texCoord, 0.0, 1.0);
}
)";

const char* const FragmentHeader = R"(#version 300 es
precision highp float;
precision highp int;
)";

// GL 1.1's texture environment, its functions for RGB and RGBA textures;
// FLAT_SHADING, TEXTURE_ENV (-1: untextured), PROJECTIVE and MESA_STORE
// select the variant. Without a projective texture matrix q is exactly 1,
// and the division by it can go.
//
// MESA_STORE: what Mesa's llvmpipe stores into an RGB565 framebuffer, to the
// bit. It turns the colour into 8-bit unsigned integers (times 255, rounded
// to even), widens the framebuffer's 5 and 6 bits to 8 by repeating their
// top bits, blends in 8 bits (GL_ONE, GL_ONE: a sum saturating at 255;
// GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA: each product rounded,
// (ab + (ab >> 8) + 128) >> 8, then the saturating sum) and keeps the top
// 5 or 6 bits of the result. The shader writes that value v as exactly
// v / 31 or v / 63, which any ES context stores as v. An opaque fragment
// (alpha 255) blends to its own colour whatever lies under it, so draws
// that cannot make others read no framebuffer.
const char* const FragmentMain = R"(
in vec4 v_color;
flat in vec4 v_flatColor;
in vec4 v_texCoord;

uniform bool u_textureHasAlpha;
uniform sampler2D u_texture;

out vec4 fragColor;

#if MESA_STORE
uniform int u_storeMode;
uniform bool u_readDestination;
uniform highp sampler2D u_destination;

ivec3 MultiplyUnorm8(ivec3 a, int b)
{
    ivec3 ab = a * b;
    return (ab + (ab >> 8) + 128) >> 8;
}

vec4 StoreAsMesa(vec4 color)
{
    ivec4 s = ivec4(roundEven(clamp(color, 0.0, 1.0) * 255.0));
    ivec3 result = s.rgb;
    if (u_storeMode != 0) {
        ivec3 d = ivec3(0);
        if (u_readDestination) {
            d = ivec3(round(texelFetch(u_destination, ivec2(gl_FragCoord.xy), 0).rgb * vec3(31.0, 63.0, 31.0)));
            d = (d << ivec3(3, 2, 3)) | (d >> ivec3(2, 4, 2));
        }
        if (u_storeMode == 1)
            result = s.rgb + d;
        else
            result = MultiplyUnorm8(s.rgb, s.a) + MultiplyUnorm8(d, 255 - s.a);
        result = min(result, ivec3(255));
    }
    return vec4(vec3(result >> ivec3(3, 2, 3)) / vec3(31.0, 63.0, 31.0), 1.0);
}
#endif

void main()
{
#if FLAT_SHADING
    vec4 f = v_flatColor;
#else
    vec4 f = v_color;
#endif
    vec4 color;
#if TEXTURE_ENV < 0
    color = f;
#else
#if PROJECTIVE
    vec4 t = textureProj(u_texture, v_texCoord.xyw);
#else
    vec4 t = texture(u_texture, v_texCoord.xy);
#endif
#if TEXTURE_ENV == 0
    color = f * t;
#elif TEXTURE_ENV == 1
    color = vec4(t.rgb, u_textureHasAlpha ? t.a : f.a);
#elif TEXTURE_ENV == 2
    color = vec4(mix(f.rgb, t.rgb, t.a), f.a);
#else
    color = vec4(f.rgb * (vec3(1.0) - t.rgb), f.a * t.a);
#endif
#endif
#if MESA_STORE
    fragColor = StoreAsMesa(color);
#else
    fragColor = color;
#endif
}
)";

// Variants count through the environments (untextured first), then
// shading, then the kind of texture matrix, then the store.
constexpr unsigned Environments = 5;
constexpr unsigned PerStore = 4 * Environments;

bool IsFlat(unsigned variant)
{
    return variant / Environments % 2 != 0;
}

int TextureEnvOf(unsigned variant)
{
    return static_cast<int>(variant % Environments) - 1;
}

bool IsProjective(unsigned variant)
{
    return variant % PerStore >= 2 * Environments;
}

bool IsMesaStore(unsigned variant)
{
    return variant >= PerStore;
}

std::string VariantName(unsigned variant)
{
    static const char* const envs[] = {"untextured", "modulate", "replace", "decal", "blend"};
    return std::string(IsFlat(variant) ? "flat " : "smooth ") + envs[TextureEnvOf(variant) + 1] +
           (IsProjective(variant) ? " projective" : "") + (IsMesaStore(variant) ? " Mesa store" : "");
}

std::string InfoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log.data());
    else
        glGetShaderInfoLog(object, length, nullptr, log.data());
    log.resize(log.find('\0') == std::string::npos ? log.size() : log.find('\0'));
    return log;
}

GLuint CompileShader(GLenum stage, const char* name, const std::string& source)
{
    const GLuint shader = glCreateShader(stage);
    if (shader == 0) Fail(std::string("the ES driver made no ") + name + " shader");
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        const std::string log = InfoLog(shader, false);
        glDeleteShader(shader);
        Fail(std::string("the ") + name + " shader does not compile: " + log);
    }
    return shader;
}

} // namespace

unsigned SelectVariant(bool flat, int textureEnv, bool projective, bool mesaStore)
{
    // Untextured fragments read no texture coordinates.
    const bool divides = projective && textureEnv >= 0;
    return (mesaStore ? PerStore : 0) + ((divides ? 2 : 0) + (flat ? 1 : 0)) * Environments +
           static_cast<unsigned>(textureEnv + 1);
}

Program BuildProgram(unsigned variant)
{
    const std::string name = VariantName(variant);
    const GLuint vertex =
        CompileShader(GL_VERTEX_SHADER, "vertex", std::string(VertexHeader) + LightingShaderSource + VertexMain);
    GLuint fragment = 0;
    try {
        const std::string defines = "#define FLAT_SHADING " + std::to_string(IsFlat(variant) ? 1 : 0) +
                                    "\n#define TEXTURE_ENV " + std::to_string(TextureEnvOf(variant)) +
                                    "\n#define PROJECTIVE " + std::to_string(IsProjective(variant) ? 1 : 0) +
                                    "\n#define MESA_STORE " + std::to_string(IsMesaStore(variant) ? 1 : 0) + "\n";
        fragment = CompileShader(GL_FRAGMENT_SHADER, ("fragment (" + name + ")").c_str(),
                                 FragmentHeader + defines + FragmentMain);
    } catch (...) {
        glDeleteShader(vertex);
        throw;
    }
    Program p;
    p.id = glCreateProgram();
    glAttachShader(p.id, vertex);
    glAttachShader(p.id, fragment);
    glLinkProgram(p.id);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(p.id, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        const std::string log = InfoLog(p.id, true);
        glDeleteProgram(p.id);
        Fail("the shader program (" + name + ") does not link: " + log);
    }
    const auto at = [&](const char* name) { return glGetUniformLocation(p.id, name); };
    p.modelviewProjection = at("u_modelviewProjection");
    p.modelview = at("u_modelview");
    p.normalMatrix = at("u_normalMatrix");
    p.textureMatrix = at("u_textureMatrix");
    p.currentColor = at("u_currentColor");
    p.currentNormal = at("u_currentNormal");
    p.currentTexCoord = at("u_currentTexCoord");
    p.lighting = at("u_lighting");
    p.normalize = at("u_normalize");
    p.lightCount = at("u_lightCount");
    p.lightPosition = at("u_lightPosition");
    p.lightAmbient = at("u_lightAmbient");
    p.lightDiffuse = at("u_lightDiffuse");
    p.lightSpecular = at("u_lightSpecular");
    p.lightAttenuation = at("u_lightAttenuation");
    p.spotDirection = at("u_spotDirection");
    p.spotExponent = at("u_spotExponent");
    p.spotCosine = at("u_spotCosine");
    p.materialAmbient = at("u_materialAmbient");
    p.materialDiffuse = at("u_materialDiffuse");
    p.materialSpecular = at("u_materialSpecular");
    p.materialEmission = at("u_materialEmission");
    p.materialShininess = at("u_materialShininess");
    p.colorMaterial = at("u_colorMaterial");
    p.lightModelAmbient = at("u_lightModelAmbient");
    p.localViewer = at("u_localViewer");
    p.textureHasAlpha = at("u_textureHasAlpha");
    p.sampler = at("u_texture");
    p.storeMode = at("u_storeMode");
    p.readDestination = at("u_readDestination");
    p.destination = at("u_destination");
    glUseProgram(p.id);
    glUniform1i(p.sampler, 0);
    if (p.destination >= 0) glUniform1i(p.destination, static_cast<GLint>(DestinationUnit));
    return p;
}

void DeleteProgram(Program& program)
{
    if (program.id != 0) glDeleteProgram(program.id);
    program.id = 0;
}

} // namespace gles
