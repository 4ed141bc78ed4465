// Small scenes in the show's manner, written once against the table so that
// the driver and the renderer draw exactly the same calls.
#pragma once

#include "glapi/Gl11.h"

#include <ostream>
#include <vector>

namespace glestest {

struct Scene {
    const char* name;
    void (*draw)(const glapi::Gl11& gl);
};

// Names the scene in test output.
inline void PrintTo(const Scene& scene, std::ostream* out)
{
    *out << scene.name;
}

// Lit Gouraud quads under a positional, a directional and a w = -1 light,
// with colour material; back faces culled.
void DrawLitQuads(const glapi::Gl11& gl);

// Quads with a colour at each corner, sent immediately and from a list,
// shaded smoothly and flat: each way's split diagonal shows.
void DrawQuadSplits(const glapi::Gl11& gl);

// GL_MODULATE textures (RGB and RGBA, two unpack alignments) blended over a
// background, under a translated texture matrix; additive panels; the other
// environment modes; a mip-mapped floor; an incomplete texture.
void DrawTexturedBlend(const glapi::Gl11& gl);

// A lit, textured terrain of GL_POLYGON cells, a Gouraud fan, flat shading
// and the strip and fan primitives.
void DrawPolygons(const glapi::Gl11& gl);

// Depth test with the depth mask off, then on; two depth functions; no test.
void DrawDepth(const glapi::Gl11& gl);

// Display lists compiled before their textures exist, called under caller
// colours, matrices and a texture matrix, nested, and changing culling and
// the current colour and normal for what follows.
void DrawDisplayLists(const glapi::Gl11& gl);

// Over a hundred thousand immediate-mode vertices in one frame, more than
// the renderer's streaming buffer holds at once.
void DrawManyVertices(const glapi::Gl11& gl);

// A fresh context's defaults, nothing set: identity matrices, the window's
// viewport, light 0 along the view, the default material, white.
void DrawDefaults(const glapi::Gl11& gl);

// Squares drawn by turns under four shader variants, lit and unlit, from
// immediate mode and from a list that takes the current colour, with lights,
// the light model and lighting changed while other variants draw.
void DrawVariantSwitches(const glapi::Gl11& gl);

// Every scene, by name.
const std::vector<Scene>& ListScenes();

} // namespace glestest
