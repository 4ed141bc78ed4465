// The shader programs that stand in for the fixed function: GL 1.1's vertex
// transform and lighting, and its texture environment, driven by uniforms
// that mirror the context's state. The fragment stage comes in variants, one
// for each shading, texture environment and kind of texture matrix, so that
// a fragment does only the work its state asks for (on a software rasteriser
// that is most of a frame).
#pragma once

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

// The linked program and where its uniforms are.
struct Program {
    unsigned id = 0;
    // Transform.
    int modelviewProjection = -1, modelview = -1, normalMatrix = -1, textureMatrix = -1;
    // The current attributes, for display-list vertices that inherit them.
    int currentColor = -1, currentNormal = -1, currentTexCoord = -1;
    // Lighting.
    int lighting = -1, normalize = -1, lightCount = -1, lightPosition = -1, lightAmbient = -1, lightDiffuse = -1;
    int lightSpecular = -1, lightAttenuation = -1, spotDirection = -1, spotExponent = -1, spotCosine = -1;
    int materialAmbient = -1, materialDiffuse = -1, materialSpecular = -1, materialEmission = -1;
    int materialShininess = -1, colorMaterial = -1, lightModelAmbient = -1, localViewer = -1;
    // Fragments.
    int textureHasAlpha = -1, sampler = -1;
    // Mesa's store: the StoreMode, and whether to read the framebuffer's copy.
    int storeMode = -1, readDestination = -1, destination = -1;
    int readingDestination = -1; // the value u_readDestination holds (-1: unknown)
};

// Compiles and links the program of a variant in the current ES context,
// its samplers on texture unit 0 and DestinationUnit; leaves it in use. Throws Error naming the
// stage and variant and quoting the driver's log when that fails.
Program BuildProgram(unsigned variant);

// Deletes the program (its context current).
void DeleteProgram(Program& program);

} // namespace gles
