// A contact sheet: every image scaled into a grid cell, its file name below.
#pragma once

#include "tex/MotFile.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace mot {

struct SheetImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The most pixels a sheet may have: 32 million, 96 MB of RGB.
constexpr long long MaxSheetPixels = 32LL << 20;

// Lays `count` images out `columns` to a row, each scaled (area average) to
// fit `cell` pixels square, its label below; load(i) gives image i and its
// label only when it is drawn, so that one image at a time is held. Labels
// are drawn when the DejaVu font can be loaded. Throws std::runtime_error,
// before loading anything, when the sheet would have more than
// MaxSheetPixels.
SheetImage BuildSheet(std::size_t count, int columns, int cell,
                      const std::function<std::pair<std::string, MotImage>(std::size_t)>& load);

} // namespace mot
