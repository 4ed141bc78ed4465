// Where a piece of triangles lands on the screen, for Mesa's store: which
// rectangle its fragments can fall in, and whether two pieces can ever both
// cover one pixel.
#pragma once

#include "gles/Matrix.h"
#include "gles/Vertex.h"

#include <array>
#include <cstddef>
#include <vector>

namespace gles {

// A piece of triangles under one transform: the window rectangle its
// fragments fall in and, where it is known exactly, its triangles in window
// coordinates.
struct PieceCoverage {
    std::array<int, 4> box{}; // x0, y0, x1, y1 (exclusive), within the screen
    bool exact = false;       // the triangles below are what the rasteriser gets
    std::size_t from = 0;     // its corners in a CoverageStore
    std::size_t count = 0;    // a multiple of 3
};

// A piece's triangle corner: window position and the vertex it came from.
struct Corner {
    double x = 0, y = 0;
    const float* position = nullptr; // the vertex's object coordinates
};

// Measures count vertices (whole triangles) under mvp on screen (x0, y0,
// x1, y1), appending their corners to corners where they are exact: every
// vertex in front of the eye and between the near and far planes, so that
// the rasteriser clips none of their edges there.
PieceCoverage MeasurePiece(const Matrix& mvp, const std::array<int, 4>& screen, const Vertex* vertices,
                           std::size_t count, std::vector<Corner>& corners);

// Whether no pixel can take fragments from both a and b. False whenever in
// doubt: only a line that separates them beyond the rasteriser's own
// rounding, or an edge of both (the same two vertices), which the fill rule
// gives to one side pixel by pixel, counts.
bool AreDisjoint(const PieceCoverage& a, const PieceCoverage& b, const std::vector<Corner>& corners);

} // namespace gles
