// PNG files: 8-bit RGB or RGBA images, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace image {

struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;                 // 3 (RGB) or 4 (RGBA)
    std::vector<std::uint8_t> pixels; // width * height * channels bytes, top row first
};

// The bytes of an 8-bit RGB (channels 3) or RGBA (channels 4) PNG file.
// Throws std::runtime_error on bad sizes or channels.
std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::uint8_t* pixels);

// Writes such a PNG under a temporary name beside path and renames it to
// path when complete: a failure leaves what was at path as it was. Throws
// std::runtime_error naming the path and the reason.
void WritePng(const std::string& path, int width, int height, int channels, const std::uint8_t* pixels);

// Reads any PNG as 8-bit RGB (no alpha in the file) or RGBA (alpha or
// transparency in the file). Throws std::runtime_error with the path on
// failure. Only a regular file is read (a pipe is refused, not waited on),
// and the sizes in its header are checked against maxSide before any memory
// is taken for the pixels, or for a file larger than such a picture can be.
Image ReadPng(const std::string& path, int maxSide = 16384);

// The 8 bytes every PNG file begins with.
bool HasPngSignature(const std::uint8_t* bytes, std::size_t size);

} // namespace image
