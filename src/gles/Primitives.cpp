#include "gles/Primitives.h"

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
