// PNG encode/decode through libpng's simplified API, which handles every
// bit depth, palette and gray variant on the way in and 8-bit output on the way out.
#include "image/Png.h"

#include "files/Files.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

namespace image {

std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::uint8_t* pixels)
{
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) || pixels == nullptr)
        throw std::runtime_error("bad image dimensions or channels");
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const png_int_32 stride = width * channels;
    // The bound is the raw pixels plus the format's overhead: one pass, no resizing.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels, stride, nullptr)) {
        const std::string why = png.message;
        png_image_free(&png);
        throw std::runtime_error(why);
    }
    bytes.resize(size);
    return bytes;
}

void WritePng(const std::string& path, int width, int height, int channels, const std::uint8_t* pixels)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = EncodePng(width, height, channels, pixels);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("cannot write '" + path + "': " + e.what());
    }
    files::WriteFile(path, bytes.data(), bytes.size());
}

Image ReadPng(const std::string& path, int maxSide)
{
    const auto fail = [&](const std::string& why) { throw std::runtime_error("cannot read " + path + ": " + why); };
    files::Input file(path);
    if (file.problem() != files::Input::Problem::None) fail(file.Why());
    // Even stored uncompressed, 16 bits a channel, a picture of the largest
    // sizes takes no more than this; a larger file is no picture we take.
    const std::uint64_t side = static_cast<std::uint64_t>(maxSide);
    if (file.Size() > side * side * 8 + side * 8 + (1u << 20))
        fail("it is " + std::to_string(file.Size()) + " bytes, more than a picture of at most " +
             std::to_string(maxSide) + " pixels a side takes");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    if (!HasPngSignature(bytes.data(), bytes.size())) fail("it is not a PNG file");

    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) fail(png.message);
    if (png.width > side || png.height > side) {
        png_image_free(&png);
        fail("it is " + std::to_string(png.width) + "x" + std::to_string(png.height) + ", larger than " +
             std::to_string(maxSide) + " pixels a side");
    }

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
        fail(why);
    }
    return result;
}

bool HasPngSignature(const std::uint8_t* bytes, std::size_t size)
{
    static const std::uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof Signature && std::memcmp(bytes, Signature, sizeof Signature) == 0;
}

} // namespace image
