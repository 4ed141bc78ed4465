// One rendering context: all of GL 1.1's state that the subset covers, the
// display lists and texture objects, and the ES objects that draw them.
// Private to the renderer; the program sees gles/Gles.h.
#pragma once

#include "gles/DisplayList.h"
#include "gles/Enums.h"
#include "gles/Lighting.h"
#include "gles/Matrix.h"
#include "gles/Shaders.h"
#include "gles/TextureImage.h"
#include "gles/Vertex.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace gles {

// What a change of state leaves to upload before the next draw.
enum DirtyBit : unsigned {
    DirtyTransform = 1, // the three matrices
    DirtyLighting = 2,  // lights, light model, material, colour material
    DirtyFragment = 4,  // shading, texturing, texture environment, projective: the variant
    DirtyCurrent = 8,   // the current attributes, for inherited list vertices
    DirtyAll = 15,
};

// Points the bound vertex array's attributes at the bound buffer's Vertex
// records; with inherit, the inherit flags too (display lists only).
void SetVertexLayout(bool inherit);

// glEnable(cap) or glDisable(cap) on the ES context.
void SetEsCapability(unsigned cap, bool on);

// What the table's entry points act on; the members are GL 1.1's state and
// the objects that draw it, laid open to the renderer's own files.
struct Context final : ListExecutor {
    // GL 1.1's state at start-up, and the program and buffers that draw it;
    // the ES context must be current.
    Context();

    // Releases the ES objects; the ES context must be current.
    void Release();

    // Puts every piece of ES state the renderer relies on in place, after
    // another context (or the platform) may have changed it.
    void ApplyEsState();
    // The same but for the programs' uniforms, which only this context's
    // programs hold: after the platform has drawn with a program of its own.
    void RebindEsState();

    // Draws the batched immediate-mode triangles.
    void DrawBatch();

    // Mesa's store (see EmulateMesaBlending): how fragments reach the
    // framebuffer under the current state, and whether the ES context blends.
    StoreMode GetStoreMode() const;
    void ApplyEsBlend();

    // Whether fragments drawn now may come out with alpha below 1, given the
    // least alpha among the vertices' own colours and whether some take the
    // current colour. Errs towards yes.
    bool MayBeTranslucent(float leastAlpha, bool inheritsColor) const;

    // Draws count triangle vertices from first (an index into the bound
    // vertex array, of which vertices holds the data, starting at offset).
    // Under a store that reads the framebuffer, draws them a few pieces at a
    // time, pieces that overlap in separate draws (ends: where each piece
    // ends, indices into vertices; see AppendPieceEnds), each draw after
    // copying what it covers into the destination texture.
    void DrawTriangles(const Vertex* vertices, std::size_t offset, std::size_t first, std::size_t count,
                       const std::vector<std::size_t>& ends, float leastAlpha, bool inheritsColor);

    // Copies the framebuffer's rectangle (x0, y0) to (x1, y1), exclusive,
    // into the destination texture at the same place.
    void CopyDestination(const std::array<int, 4>& box);

    // Immediate mode (also recorded into a list being compiled).
    void Begin(unsigned mode);
    void End();
    void AddVertex(float x, float y, float z);
    void SetColor(const std::array<float, 4>& color);
    void SetNormal(const std::array<float, 3>& normal);
    void SetTexCoord(const std::array<float, 2>& texCoord);

    // Display lists.
    unsigned GenLists(int range);
    void NewList(unsigned id, unsigned mode);
    void EndList();

    // A call that display lists compile: recorded while a list is being
    // compiled, performed otherwise.
    void Dispatch(const Op& op);

    // ListExecutor: performs a compiled call.
    void Execute(const Op& op) override;
    void DrawRun(DisplayList& list, const Run& run) override;

    // Calls that are never compiled.
    void GenTextures(int n, unsigned* names);
    void TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                    unsigned type, const void* pixels);
    int Build2DMipmaps(unsigned target, int components, int width, int height, unsigned format, unsigned type,
                       const void* data);
    void PixelStore(unsigned pname, int value);

    // Uploads pixels (tight RGBA) as level of the bound texture.
    void UploadLevel(int level, int width, int height, unsigned base);

    // State changes, as Execute performs them.
    void SetMatrixMode(unsigned mode);
    MatrixStack& GetCurrentStack();
    void FlushBeforeMatrixChange(); // before the current matrix changes
    void SetFrustum(const std::array<double, 6>& planes);
    void SetViewport(int x, int y, int width, int height);
    void SetCapability(unsigned cap, bool on);
    void SetLight(unsigned light, unsigned pname, const float* params);
    void SetLightModel(unsigned pname, const float* params);
    void SetColorMaterial(unsigned face, unsigned mode);
    void SetShadeModel(unsigned mode);
    void SetBlendFunc(unsigned source, unsigned destination);
    void SetDepthFunc(unsigned func);
    void SetDepthMask(bool on);
    void SetHint(unsigned target, unsigned mode);
    void BindTexture(unsigned target, unsigned name);
    void SetTexParameter(unsigned target, unsigned pname, int value);
    void SetTexEnv(unsigned target, unsigned pname, int value);
    void Clear(unsigned mask);
    void SetClearColor(const std::array<float, 4>& color);

    // Before a state change: draws the triangles batched under the old
    // state, then marks bits for upload before the next draw.
    void FlushBeforeChange(unsigned bits);

    // The bound texture object, made on first use.
    TextureObject& GetBoundTexture();

    // Uploads what changed since the last draw, in the variant the state
    // selects.
    void PrepareDraw(bool forList);
    void UseVariant(unsigned next);
    void UploadTransform();
    void UploadLighting();
    void UploadFragment();
    void UploadCurrent();
    void BindVertexArray(unsigned array);
    void UploadList(DisplayList& list);

    // Throws Error naming call if it comes between glBegin and glEnd, where
    // GL forbids it.
    void RequireOutsidePrimitive(const char* call) const;

    // The material properties the current colour stands in for now (none
    // while colour material is off).
    unsigned GetTrackedProperties() const;

    // Transform; the stacks are as deep as Mesa's, so that whatever runs on
    // the driver runs here.
    MatrixStack modelview{"modelview", 32};
    MatrixStack projection{"projection", 32};
    MatrixStack textureMatrix{"texture", 10};
    unsigned matrixMode = glenum::Modelview;

    // Lighting.
    std::array<Light, 8> lights;
    Material material;
    LightModel lightModel;
    unsigned colorMaterialFace = glenum::FrontAndBack;
    unsigned colorMaterialMode = glenum::AmbientAndDiffuse;
    bool lighting = false;
    bool colorMaterial = false;
    bool normalize = false;

    // Rasterisation and fragments.
    unsigned shadeModel = glenum::Smooth;
    bool texture2D = false;
    bool depthTest = false;
    bool cullFace = false;
    bool blend = false;
    bool dither = true;
    unsigned blendSource = glenum::One;
    unsigned blendDestination = glenum::Zero;
    unsigned depthFunc = 0x0201; // GL_LESS
    bool depthMask = true;
    unsigned textureEnv = glenum::Modulate;
    std::array<float, 4> clearColor{0, 0, 0, 0};
    std::array<int, 4> viewport{};
    bool viewportSet = false; // until glViewport, the ES context's own
    int unpackAlignment = 4;
    int packAlignment = 4;

    // Textures.
    std::unordered_map<unsigned, TextureObject> textures;
    unsigned boundTexture = 0;
    unsigned nextTexture = 1;
    std::vector<std::uint8_t> pixels;   // reused for uploads
    std::vector<std::uint8_t> halfSize; // and mip-map levels

    // Vertices.
    Attributes current;
    bool inPrimitive = false;
    unsigned primitiveMode = 0;
    std::vector<Vertex> primitive;      // the vertices since glBegin
    std::vector<Vertex> batch;          // triangles not drawn yet, all under the current state
    std::vector<std::size_t> batchEnds; // where each piece of batch's primitives ends
    float batchLeastAlpha = 1;          // the least alpha of batch's colours

    // Mesa's store, and the texture holding a copy of the framebuffer.
    bool mesaBlending = false;
    unsigned destinationTexture = 0;
    int destinationWidth = 0, destinationHeight = 0;
    std::array<int, 4> defaultViewport{};       // the ES context's, before glViewport
    std::vector<std::array<int, 4>> groupBoxes; // the pieces of the next draw that reads it

    // Display lists.
    DisplayLists lists;
    ListRecorder recorder;

    // ES objects. Programs are built when a variant is first drawn with;
    // stale holds what changed while another variant was in use.
    std::array<Program, VariantCount> programs{};
    std::array<unsigned, VariantCount> stale{};
    unsigned variant = 0;
    unsigned streamBuffer = 0;
    unsigned streamArray = 0;
    std::size_t streamCapacity = 0; // vertices
    std::size_t streamOffset = 0;   // where the next batch goes
    unsigned boundArray = 0;
    unsigned dirty = DirtyAll;

    // Lights packed for upload, the enabled ones first.
    std::array<float, 32> packedPosition{};
    std::array<float, 24> packedAmbient{}, packedDiffuse{}, packedSpecular{}, packedAttenuation{}, packedSpot{};
    std::array<float, 8> packedExponent{}, packedCosine{};
};

} // namespace gles
