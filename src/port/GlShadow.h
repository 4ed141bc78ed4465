// A shadow of the OpenGL state the show carries from one pass to the next:
// the current colour, normal and texture coordinate, the bound texture, the
// switches, the lights, the matrices and the other settings, each as the
// call that last set it. Objects (textures, display lists) are made once at
// start-up and are not part of it.
//
// Between passes the shadow is a value that can be kept and put back. To
// jump to another frame, the port runs the show's passes through a table
// that only moves the shadow (nothing is drawn), then makes the driver's
// state that of the shadow by making each remembered call again. Made in
// the same order on the same driver, the calls give the same state bit for
// bit, whatever the driver is.
#pragma once

#include "glapi/Gl11.h"

#include <cstdint>
#include <vector>

namespace glshadow {

// One call as it was made: which entry point, and its arguments.
struct Call {
    std::uint8_t entry = 0; // 0: none
    unsigned u[2] = {};
    double d[6] = {};
};

struct State {
    Call colour, normal, texCoord, binding;
    std::vector<Call> settings; // one a setting (an Enable or Disable a switch)
    // Matrices: a stack for each mode, each level the calls since the identity.
    std::vector<std::vector<Call>> stacks[3];
    unsigned matrixMode = 0x1700; // GL_MODELVIEW
    // Lights placed with a position or direction, with the modelview matrix
    // they were placed under.
    struct Placement {
        Call call;
        std::vector<Call> modelview;
    };
    std::vector<Placement> placements;
};

// Tables over the driver's table real: Tee draws with it and moves the
// shadow too; Shadow moves only the shadow, and hands the driver only the
// calls that make objects.
glapi::Gl11 Tee(const glapi::Gl11& real);
glapi::Gl11 Shadow(const glapi::Gl11& real);

// The shadow now; putting one back (display lists stay as they are).
const State& Current();
void Restore(const State& state);
// Forgets everything, the lists included: a fresh context.
void Reset();

// Makes the driver's state that of the shadow, through real. The driver's
// matrix stacks must be at their first level, as they are between passes.
void Apply(const glapi::Gl11& real);

} // namespace glshadow
