// Dressed stone: a grid of blocks with mortar joints, shared by the walls,
// the towers and the cathedral.
#pragma once

#include "Canvas.h"

namespace pack {

struct Masonry {
    int columns;        // blocks across the image
    int rows;           // courses down the image
    bool stagger;       // shift every other course by half a block
    Rgb stone;          // mean colour of a block
    Rgb mortar;         // colour of the joints
    float joint = 1.6f; // joint width in pixels
    float tint = 0.12f; // how much blocks differ from each other
    std::uint32_t seed = 1;
};

// The colour of pixel (x, y) of a Size x Size image of this masonry,
// seamless in both directions.
Rgb MasonryAt(const Masonry& style, int x, int y);

} // namespace pack
