// Scaling a finished picture on the CPU, for captures at sizes other than
// the virtual screen's.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <vector>

// Scales an RGB picture (top row first, 3 bytes a pixel) into an RGB target
// of targetWidth x targetHeight: placed as platform::FitBox places it on a
// window, with black bars around. Nearest and Integer pick the nearest
// pixel; Linear weighs neighbours with a tent that widens when shrinking, so
// that a smaller picture averages instead of skipping pixels. Integer falls
// back to the largest 4:3 box when not even one whole multiple fits.
void ScaleFrame(const std::vector<std::uint8_t>& source, int sourceWidth, int sourceHeight,
                std::vector<std::uint8_t>& target, int targetWidth, int targetHeight, platform::ScaleFilter filter);
