// One line of text rendered with FreeType into an 8-bit coverage map, for the
// pack's title images and the contact sheet's labels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mot {

// Where the DejaVu fonts lie on Debian and most Linux systems.
inline const std::string FontDir = "/usr/share/fonts/truetype/dejavu/";

struct TextBitmap {
    int width = 0;
    int height = 0;
    int baseline = 0;                   // rows from the top to the baseline
    std::vector<std::uint8_t> coverage; // width * height, 0 = empty, 255 = full
};

// Renders `text` (ASCII) anti-aliased at `pixelHeight` pixels per em, with
// `tracking` extra pixels between letters. Throws std::runtime_error when the
// font cannot be loaded.
TextBitmap RenderLine(const std::string& fontPath, int pixelHeight, const std::string& text, int tracking = 0);

} // namespace mot
