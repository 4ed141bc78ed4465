#include "gles/Primitives.h"

#include <algorithm>

namespace gles {

bool IsFilledPrimitive(unsigned mode)
{
    switch (mode) {
    case glenum::Triangles:
    case glenum::TriangleStrip:
    case glenum::TriangleFan:
    case glenum::Quads:
    case glenum::QuadStrip:
    case glenum::Polygon:
        return true;
    default:
        return false;
    }
}

std::size_t CountTrianglesPerPiece(unsigned mode, std::size_t triangles)
{
    switch (mode) {
    case glenum::Polygon:
        return triangles > 0 ? triangles : 1;
    case glenum::Quads:
    case glenum::QuadStrip:
        return 2;
    default:
        return 1;
    }
}

void AppendPieceEnds(unsigned mode, std::size_t first, std::size_t vertices, std::vector<std::size_t>& ends)
{
    const std::size_t triangles = vertices / 3;
    const std::size_t per = CountTrianglesPerPiece(mode, triangles);
    for (std::size_t t = per; t < triangles + per; t += per) ends.push_back(first + 3 * std::min(t, triangles));
}

void AppendPrimitive(unsigned mode, QuadSplit split, const std::vector<Vertex>& vertices,
                     std::vector<Vertex>& triangles)
{
    ForEachTriangle(mode, vertices.size(), split, [&](std::size_t a, std::size_t b, std::size_t c) {
        triangles.push_back(vertices[a]);
        triangles.push_back(vertices[b]);
        triangles.push_back(vertices[c]);
    });
}

} // namespace gles
