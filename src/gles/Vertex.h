// What the renderer draws: vertices carrying GL's current attributes as they
// were at each glVertex, in the layout the vertex buffers hold.
#pragma once

#include <array>
#include <cstdint>

namespace gles {

// GL's current colour, normal and texture coordinate (s, t; r is 0 and q 1).
struct Attributes {
    std::array<float, 4> color{1, 1, 1, 1};
    std::array<float, 3> normal{0, 0, 1};
    std::array<float, 2> texCoord{0, 0};
    bool operator==(const Attributes&) const = default;
};

// Attributes as bits, for what a display list sets or leaves to its caller.
enum AttributeBit : unsigned {
    AttributeColor = 1,
    AttributeNormal = 2,
    AttributeTexCoord = 4,
};

// One vertex of a triangle. A vertex compiled into a display list before the
// list set some attribute takes that attribute from the current value when
// the list is called: inherit[k] is 1 for colour, normal and texture
// coordinate (k = 0, 1, 2) taken so.
struct Vertex {
    std::array<float, 3> position{};
    std::array<float, 3> normal{};
    std::array<float, 4> color{};
    std::array<float, 2> texCoord{};
    std::array<std::uint8_t, 4> inherit{};
    bool operator==(const Vertex&) const = default;
};

} // namespace gles
