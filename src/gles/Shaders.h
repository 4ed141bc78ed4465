// The shader programs that stand in for the fixed function: GL 1.1's vertex
// transform and lighting, and its texture environment, driven by uniforms
// that mirror the context's state. The fragment stage comes in variants, one
// for each shading, texture environment and kind of texture matrix, so that
// a fragment does only the work its state asks for (on a software rasteriser
// that is most of a frame).
#pragma once

#include <array>
#include <limits>

namespace gles {

// Where the vertex shader reads each attribute of a Vertex.
enum AttributeLocation : unsigned {
    PositionLocation = 0,
    NormalLocation = 1,
    ColorLocation = 2,
    TexCoordLocation = 3,
    InheritLocation = 4,
};

// The texture environment as the fragment shader numbers it.
enum ShaderTextureEnv : int {
    EnvModulate = 0,
    EnvReplace = 1,
    EnvDecal = 2,
    EnvBlend = 3,
};

// How a fragment reaches the framebuffer. StoreByEs: the ES context blends
// (or not) and stores. The others are Mesa's llvmpipe into an RGB565
// framebuffer, which the shader works out itself and writes exactly, the ES
// context's blending off: StoreReplace, no blending (or GL_ONE, GL_ZERO);
// StoreAdd, GL_ONE, GL_ONE; StoreLerp, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA.
enum StoreMode : int {
    StoreByEs = -1,
    StoreReplace = 0,
    StoreAdd = 1,
    StoreLerp = 2,
};

// The texture unit that holds a copy of the framebuffer for the stores that
// read it; the renderer's own textures are on unit 0.
constexpr unsigned DestinationUnit = 1;

// How many fragment variants there are: flat or smooth shading, times
// untextured or one of the four texture environments, times a texture
// matrix whose q row is (0, 0, 0, 1) or one that divides by q, times
// stored by the ES context or as Mesa stores.
constexpr unsigned VariantCount = 40;

// The variant for flat or smooth shading and an environment (EnvModulate
// ... EnvBlend), or -1 for untextured fragments; projective when the texture
// matrix can make q other than 1; mesaStore for the stores other than
// StoreByEs.
unsigned SelectVariant(bool flat, int textureEnv, bool projective, bool mesaStore = false);

// Where each piece of a light lies among its vectors in u_state (below).
enum LightSlot : unsigned {
    LightPosition = 0,    // eye coordinates (PrepareLightPosition)
    LightAmbient = 1,     // then diffuse, specular
    LightAttenuation = 4, // constant, linear, quadratic; w: spot exponent
    LightSpot = 5,        // direction; w: cosine of the cutoff (ComputeSpotCosine)
    LightVectors = 6,
};

// Where each piece of the vertex stage's state lies in u_state, the one
// array of vec4 it reads them all from: a draw uploads what changed with one
// call, from the start of the array up to the last vector that differs, so
// what changes most often comes first. Integers and flags are stored as
// floats (all small, so exact).
enum StateSlot : unsigned {
    SlotModelviewProjection = 0, // four columns, as the next two
    SlotModelview = 4,
    SlotTextureMatrix = 8,
    SlotNormalMatrix = 12,    // three columns in xyz
    SlotCurrentColor = 15,    // the current attributes, for display-list
    SlotCurrentNormal = 16,   // vertices that inherit them (xyz)
    SlotCurrentTexCoord = 17, // (xy)
    SlotFlags = 18,           // lighting, normalize, light count, colour material bits
    SlotMaterialAmbient = 19, // then diffuse, specular, emission
    SlotLightModelAmbient = 23,
    SlotLightModel = 24, // local viewer, shininess
    SlotLights = 25,     // the enabled lights, LightVectors each
    StateVectors = SlotLights + 8 * LightVectors,
};

// The linked program, where its uniforms are, and what they hold.
struct Program {
    unsigned id = 0;
    int state = -1; // u_state
    // Fragments: the texture's alpha, Mesa's store (the StoreMode) and
    // whether to read the framebuffer's copy.
    int textureHasAlpha = -1, sampler = -1;
    int storeMode = -1, readDestination = -1, destination = -1;
    // What u_state holds (NaN: not uploaded yet), and the other uniforms
    // (-2: unknown).
    std::array<float, 4 * StateVectors> uploaded;
    int hasAlphaValue = -2, storeModeValue = -2, readingDestination = -2;
    Program() { uploaded.fill(std::numeric_limits<float>::quiet_NaN()); }
};

// Compiles and links the program of a variant in the current ES context,
// its samplers on texture unit 0 and DestinationUnit; leaves it in use. Throws Error naming the
// stage and variant and quoting the driver's log when that fails.
Program BuildProgram(unsigned variant);

// Deletes the program (its context current).
void DeleteProgram(Program& program);

} // namespace gles
