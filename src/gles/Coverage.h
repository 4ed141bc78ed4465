// Where a piece of triangles lands on the screen, for Mesa's store: the
// rectangle its fragments can fall in, which is copied before it is drawn
// and which decides the pieces that may be drawn together.
#pragma once

#include "gles/Matrix.h"
#include "gles/Vertex.h"

#include <array>
#include <cstddef>

namespace gles {

// The window rectangle (x0, y0, x1, y1; x1 and y1 exclusive) within screen
// that holds every fragment of count vertices (whole triangles) under mvp,
// with a pixel to spare. Each triangle is clipped to the view volume first,
// as the rasteriser clips it: only its visible part counts. Empty when none
// of it is in view.
std::array<int, 4> MeasurePiece(const Matrix& mvp, const std::array<int, 4>& screen, const Vertex* vertices,
                                std::size_t count);

} // namespace gles
