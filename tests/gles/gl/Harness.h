// Two ways to draw the same calls, for comparing them: the driver's own
// fixed function in a compatibility context, and our renderer in an ES 3.0
// context, each fresh, into a 640 x 480 RGB565 + DEPTH16 framebuffer like
// the show's virtual screen.
#pragma once

#include "glapi/Gl11.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace glestest {

constexpr int Width = 640;
constexpr int Height = 480;

// What a test draws or checks, given the table to call.
using Body = std::function<void(const glapi::Gl11& gl)>;

// The hidden windows the two kinds of context draw through; main opens them.
void OpenWindows();
void CloseWindows();

// Runs body in a fresh compatibility context with the driver's table, the
// framebuffer bound; returns the framebuffer's RGB, top row first.
std::vector<std::uint8_t> DrawWithDriver(const Body& body);

// The same in a fresh ES 3.0 context with a fresh renderer context current;
// the renderer is flushed before the read.
std::vector<std::uint8_t> DrawWithRenderer(const Body& body);

// How two frames differ: the share of pixels off by more than one 5/6/5 step
// (more than 9 in some 8-bit channel), the share off at all, the largest
// channel difference.
struct Difference {
    double beyondStep = 0;
    double differing = 0;
    int worst = 0;
};
Difference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Writes both frames and their difference (amplified) as PNGs under the
// temp folder; returns the folder.
std::string WriteFrames(const std::string& name, const std::vector<std::uint8_t>& driver,
                        const std::vector<std::uint8_t>& renderer);

} // namespace glestest
