// A contact sheet: every image scaled into a grid cell, its file name below.
#pragma once

#include "tex/MotFile.h"

#include <string>
#include <vector>

namespace mot {

struct SheetEntry {
    std::string label;
    MotImage image;
};

struct SheetImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Lays the entries out `columns` to a row, each scaled (area average) to fit
// `cell` pixels square. Labels are drawn when the DejaVu font can be loaded.
SheetImage BuildSheet(const std::vector<SheetEntry>& entries, int columns, int cell);

} // namespace mot
