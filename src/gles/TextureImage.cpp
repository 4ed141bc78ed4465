#include "gles/TextureImage.h"

#include "gles/Enums.h"
#include "gles/Error.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace gles {

namespace {

bool UsesMipmaps(unsigned minFilter)
{
    return minFilter != glenum::Nearest && minFilter != glenum::Linear;
}

} // namespace

bool IsComplete(const TextureObject& texture)
{
    const auto& base = texture.levels[0];
    if (base[0] <= 0 || base[1] <= 0) return false;
    if (!UsesMipmaps(texture.minFilter)) return true;
    int width = base[0], height = base[1];
    for (std::size_t level = 1; width > 1 || height > 1; ++level) {
        width = std::max(1, width / 2), height = std::max(1, height / 2);
        if (level >= texture.levels.size() || texture.levels[level] != std::array<int, 3>{width, height, base[2]})
            return false;
    }
    return true;
}

bool HasAlpha(const TextureObject& texture)
{
    return texture.levels[0][2] == static_cast<int>(glenum::Rgba);
}

void SetTextureParameter(TextureObject& texture, unsigned pname, int value)
{
    const auto v = static_cast<unsigned>(value);
    switch (pname) {
    case glenum::TextureMinFilter:
        if (v != glenum::Nearest && v != glenum::Linear &&
            (v < glenum::NearestMipmapNearest || v > glenum::LinearMipmapLinear))
            FailUnsupported("glTexParameteri(GL_TEXTURE_MIN_FILTER)", v);
        texture.minFilter = v;
        break;
    case glenum::TextureMagFilter:
        if (v != glenum::Nearest && v != glenum::Linear) FailUnsupported("glTexParameteri(GL_TEXTURE_MAG_FILTER)", v);
        texture.magFilter = v;
        break;
    case glenum::TextureWrapS:
    case glenum::TextureWrapT:
        if (v != glenum::Repeat) FailUnsupported("glTexParameteri(GL_TEXTURE_WRAP)", v);
        (pname == glenum::TextureWrapS ? texture.wrapS : texture.wrapT) = v;
        break;
    default:
        FailUnsupported("glTexParameteri", pname);
    }
}

unsigned GetBaseFormat(const char* call, int internalFormat)
{
    switch (internalFormat) {
    case 3:
    case static_cast<int>(glenum::Rgb):
    case static_cast<int>(glenum::Rgb8):
        return glenum::Rgb;
    case 4:
    case static_cast<int>(glenum::Rgba):
    case static_cast<int>(glenum::Rgba8):
        return glenum::Rgba;
    default:
        Fail(std::string(call) + " with internal format " + FormatEnum(static_cast<unsigned>(internalFormat)) +
             " is not supported");
    }
}

void UnpackRgba(const void* pixels, int width, int height, unsigned format, int alignment, bool keepAlpha,
                std::vector<std::uint8_t>& rgba)
{
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    rgba.assign(w * h * 4, 0);
    if (pixels == nullptr) return;
    const std::size_t components = format == glenum::Rgba ? 4 : 3;
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t stride = (w * components + align - 1) / align * align;
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint8_t* in = source + y * stride + x * components;
            std::uint8_t* out = rgba.data() + (y * w + x) * 4;
            std::memcpy(out, in, 3);
            out[3] = components == 4 && keepAlpha ? in[3] : 255;
        }
}

void HalveRgba(const std::vector<std::uint8_t>& rgba, int width, int height, std::vector<std::uint8_t>& half)
{
    const int w = std::max(1, width / 2), h = std::max(1, height / 2);
    const int dx = width > 1 ? 1 : 0, dy = height > 1 ? 1 : 0;
    const int count = (dx + 1) * (dy + 1);
    half.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4, 0);
    const auto at = [&](int x, int y, int c) {
        return static_cast<int>(
            rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4 +
                 static_cast<std::size_t>(c)]);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int by = 0; by <= dy; ++by)
                    for (int bx = 0; bx <= dx; ++bx) sum += at(2 * x + bx, 2 * y + by, c);
                half[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 4 +
                     static_cast<std::size_t>(c)] = static_cast<std::uint8_t>((sum + count / 2) / count);
            }
}

} // namespace gles
