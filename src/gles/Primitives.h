// Primitive assembly: the triangles of one glBegin/glEnd primitive, in the
// order and with the first, second and third vertex that Mesa's rasteriser
// gives them. The split decides how Gouraud colours interpolate (a quad's
// diagonal), and putting each primitive's provoking vertex last lets flat
// shading work with ES's last-vertex convention.
#pragma once

#include "gles/Enums.h"
#include "gles/Vertex.h"

#include <cstddef>
#include <vector>

namespace gles {

// Whether mode is a primitive the renderer draws: GL's filled kinds.
bool IsFilledPrimitive(unsigned mode);

// The diagonal a quad (v0..v3) is split along. Mesa splits quads in display
// lists, and flat-shaded ones, along v1-v3 ((v0, v1, v3), (v1, v2, v3): v3,
// which colours a flat quad, last in both); smooth-shaded quads sent in
// immediate mode along v0-v2 ((v0, v1, v2), (v0, v2, v3)), except in a draw
// where some vertex needs clipping, which goes back to v1-v3. The renderer
// leaves that exception out: it would hang on Mesa's own batching.
enum class QuadSplit {
    AlongV1V3,
    AlongV0V2,
};

// Calls emit(a, b, c) with the vertex indices of each triangle of a mode
// primitive of count vertices. Incomplete trailing vertices draw nothing.
// A polygon is a fan from v0, which comes last: (vi, vi+1, v0).
template <typename Emit>
void ForEachTriangle(unsigned mode, std::size_t count, QuadSplit split, Emit&& emit)
{
    switch (mode) {
    case glenum::Triangles:
        for (std::size_t i = 0; i + 2 < count; i += 3) emit(i, i + 1, i + 2);
        break;
    case glenum::TriangleStrip:
        for (std::size_t i = 2; i < count; ++i) {
            if (i % 2 == 0)
                emit(i - 2, i - 1, i);
            else
                emit(i - 1, i - 2, i);
        }
        break;
    case glenum::TriangleFan:
        for (std::size_t i = 2; i < count; ++i) emit(std::size_t{0}, i - 1, i);
        break;
    case glenum::Quads:
        for (std::size_t i = 0; i + 3 < count; i += 4) {
            if (split == QuadSplit::AlongV1V3)
                emit(i, i + 1, i + 3), emit(i + 1, i + 2, i + 3);
            else
                emit(i, i + 1, i + 2), emit(i, i + 2, i + 3);
        }
        break;
    case glenum::QuadStrip:
        for (std::size_t i = 0; i + 3 < count; i += 2) emit(i, i + 1, i + 3), emit(i + 2, i, i + 3);
        break;
    case glenum::Polygon:
        for (std::size_t i = 1; i + 1 < count; ++i) emit(i, i + 1, std::size_t{0});
        break;
    default:
        break;
    }
}

// How many of a mode primitive's triangles (triangles in all, in
// ForEachTriangle's order) form one piece that never overlaps itself on the
// screen: all of a polygon's, which is convex and flat, and a quad's two;
// one of the other modes', whose triangles may fold over each other.
std::size_t CountTrianglesPerPiece(unsigned mode, std::size_t triangles);

// Appends to ends where each piece (see CountTrianglesPerPiece) of a mode
// primitive ends, its triangles' vertices starting at index first.
void AppendPieceEnds(unsigned mode, std::size_t first, std::size_t vertices, std::vector<std::size_t>& ends);

// Appends the triangles of a mode primitive made of vertices to triangles,
// three vertices each.
void AppendPrimitive(unsigned mode, QuadSplit split, const std::vector<Vertex>& vertices,
                     std::vector<Vertex>& triangles);

} // namespace gles
