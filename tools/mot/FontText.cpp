#include "FontText.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

namespace mot {
namespace {

// Owns the library and face for the length of one rendering.
struct FontFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FontFace(const std::string& path, int pixelHeight)
    {
        if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType failed to start");
        if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
            FT_Done_FreeType(library);
            throw std::runtime_error("cannot load font " + path);
        }
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
    }
    ~FontFace()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
};

// Walks the glyphs of a line, kerning included: loads each with the given
// flags and hands its slot to visit with the pen position. Returns the pen
// after the last glyph.
template <typename Visit>
int LayOut(FT_Face face, const std::string& text, int tracking, FT_Int32 loadFlags, Visit visit)
{
    const bool kerning = FT_HAS_KERNING(face);
    int pen = 0;
    FT_UInt previous = 0;
    for (char c : text) {
        const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
        if (kerning && previous != 0) {
            FT_Vector delta;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &delta);
            pen += static_cast<int>(delta.x >> 6);
        }
        if (FT_Load_Glyph(face, glyph, loadFlags) != 0) continue;
        visit(pen, face->glyph);
        pen += static_cast<int>(face->glyph->advance.x >> 6) + tracking;
        previous = glyph;
    }
    return pen;
}

} // namespace

TextBitmap RenderLine(const std::string& fontPath, int pixelHeight, const std::string& text, int tracking)
{
    FontFace font(fontPath, pixelHeight);
    FT_Face face = font.face;
    const int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
    const int descender = static_cast<int>(-(face->size->metrics.descender >> 6));

    // First pass: the pen advance, with kerning, gives the width.
    int right = 0;
    const int pen = LayOut(face, text, tracking, FT_LOAD_DEFAULT, [&](int x, FT_GlyphSlot slot) {
        right = std::max(right, x + static_cast<int>((slot->metrics.horiBearingX + slot->metrics.width) >> 6) + 1);
    });

    TextBitmap out;
    out.width = std::max(1, std::max(right, pen - tracking));
    out.height = ascender + descender;
    out.baseline = ascender;
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.height, 0);

    LayOut(face, text, tracking, FT_LOAD_RENDER, [&out](int x0, FT_GlyphSlot slot) {
        const FT_Bitmap& bitmap = slot->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = out.baseline - slot->bitmap_top + static_cast<int>(row);
            if (y < 0 || y >= out.height) continue;
            for (unsigned col = 0; col < bitmap.width; ++col) {
                const int x = x0 + slot->bitmap_left + static_cast<int>(col);
                if (x < 0 || x >= out.width) continue;
                std::uint8_t& cell = out.coverage[static_cast<std::size_t>(y) * out.width + x];
                cell = std::max(cell, bitmap.buffer[row * bitmap.pitch + col]);
            }
        }
    });
    return out;
}

} // namespace mot
