// Texture objects as GL 1.1 sees them, apart from ES: which levels hold
// images, the filters and wraps, whether the texture is complete, and the
// pixel unpacking that turns an upload into the RGBA the ES texture holds.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace gles {

// Levels 0..15: images up to 32768 texels a side.
constexpr int MaxTextureLevels = 16;

// One texture object.
struct TextureObject {
    unsigned es = 0;                                           // the ES texture holding the images
    std::array<std::array<int, 3>, MaxTextureLevels> levels{}; // width, height, base format; 0 where undefined
    unsigned minFilter = 0x2702;                               // GL_NEAREST_MIPMAP_LINEAR
    unsigned magFilter = 0x2601;                               // GL_LINEAR
    unsigned wrapS = 0x2901, wrapT = 0x2901;                   // GL_REPEAT
};

// GL's completeness: a level 0 image and, for a mip-map filter, every level
// down to 1 x 1 at half the size before, of the same format. Texturing with
// an incomplete texture is as if texturing were off.
bool IsComplete(const TextureObject& texture);

// Whether level 0 has an alpha channel (base format GL_RGBA).
bool HasAlpha(const TextureObject& texture);

// glTexParameteri(GL_TEXTURE_2D, pname, value) on texture; throws Error for a
// pname or value outside the subset (GL_CLAMP's border has no ES equivalent).
void SetTextureParameter(TextureObject& texture, unsigned pname, int value);

// The base format (GL_RGB or GL_RGBA) of an internal format: 3, 4, GL_RGB,
// GL_RGBA, GL_RGB8 or GL_RGBA8. Throws Error naming call for anything else.
unsigned GetBaseFormat(const char* call, int internalFormat);

// width x height GL_RGB or GL_RGBA bytes, each row padded to alignment, as
// tightly packed RGBA in rgba. Alpha is 255 unless both the data and the
// base format have it. No pixels gives black.
void UnpackRgba(const void* pixels, int width, int height, unsigned format, int alignment, bool keepAlpha,
                std::vector<std::uint8_t>& rgba);

// The next smaller mip-map level of a width x height RGBA image: each texel
// the rounded mean of the 2 x 2 block (or pair, once a side is 1) it covers.
void HalveRgba(const std::vector<std::uint8_t>& rgba, int width, int height, std::vector<std::uint8_t>& half);

} // namespace gles
