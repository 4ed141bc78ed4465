// The one shader program that stands in for the fixed function: GL 1.1's
// vertex transform and lighting, and its texture environment, driven by
// uniforms that mirror the context's state.
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
    int flatShading = -1, texturing = -1, textureEnv = -1, textureHasAlpha = -1, sampler = -1;
};

// Compiles and links the program in the current ES context. Throws Error
// naming the stage and quoting the driver's log when that fails.
Program BuildProgram();

// Deletes the program (its context current).
void DeleteProgram(Program& program);

} // namespace gles
