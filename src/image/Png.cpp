// PNG encode/decode through libpng's simplified API, which handles every
// bit depth, palette and gray variant on the way in and 8-bit output on the way out.
#include "image/Png.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

namespace image {

void WritePng(const std::string& path, int width, int height, int channels, const std::uint8_t* pixels)
{
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || pixels == nullptr)
        throw std::runtime_error("cannot write " + path + ": bad image dimensions or channels");
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const png_int_32 stride = width * channels;
    if (!png_image_write_to_file(&png, path.c_str(), 0, pixels, stride, nullptr)) {
        const std::string why = png.message;
        png_image_free(&png);
        throw std::runtime_error("cannot write " + path + ": " + why);
    }
}

Image ReadPng(const std::string& path)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        throw std::runtime_error("cannot read " + path + ": " + png.message);

    // Alpha is kept only where the file has it (an alpha channel or a tRNS chunk).
    const bool hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = hasAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;

    Image result;
    result.width = static_cast<int>(png.width);
    result.height = static_cast<int>(png.height);
    result.channels = hasAlpha ? 4 : 3;
    result.pixels.resize(PNG_IMAGE_SIZE(png));
    // Gamma conversions would alter stored values; ask for the bytes as they are.
    if (!png_image_finish_read(&png, nullptr, result.pixels.data(), 0, nullptr)) {
        const std::string why = png.message;
        png_image_free(&png);
        throw std::runtime_error("cannot read " + path + ": " + why);
    }
    return result;
}

} // namespace image
