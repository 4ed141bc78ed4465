#include "MotFile.h"

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace mot {
namespace {

// The sizes are stored as floats; the show accepts only whole numbers.
int CheckedSize(float value, const char* what, const std::string& path)
{
    if (!std::isfinite(value) || value != std::nearbyint(value) || value < 1.0f || value > static_cast<float>(MaxSize))
        throw std::runtime_error(path + ": " + what + " " + std::to_string(value) + " is not a whole number in 1.." +
                                 std::to_string(MaxSize));
    return static_cast<int>(value);
}

float FloatFromLittleEndian(const unsigned char* bytes)
{
    std::uint32_t bits = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return std::bit_cast<float>(bits);
}

void FloatToLittleEndian(float value, unsigned char* bytes)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

} // namespace

MotImage LoadMot(const std::string& path, std::size_t* shortBytes)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw std::runtime_error(path + ": is a folder, not a .MOT file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": file not found or not readable");
    unsigned char header[8] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (in.gcount() != sizeof header) throw std::runtime_error(path + ": too short for a .MOT header (8 bytes)");

    MotImage image;
    image.width = CheckedSize(FloatFromLittleEndian(header), "width", path);
    image.height = CheckedSize(FloatFromLittleEndian(header + 4), "height", path);
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0);
    in.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    if (shortBytes != nullptr) *shortBytes = image.rgb.size() - static_cast<std::size_t>(in.gcount());
    return image;
}

void SaveMot(const std::string& path, const MotImage& image)
{
    if (image.width < 1 || image.width > MaxSize || image.height < 1 || image.height > MaxSize)
        throw std::runtime_error(path + ": image size " + std::to_string(image.width) + "x" +
                                 std::to_string(image.height) + " is outside 1.." + std::to_string(MaxSize));
    if (image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        throw std::runtime_error(path + ": pixel buffer does not match the image size");
    unsigned char header[8];
    FloatToLittleEndian(static_cast<float>(image.width), header);
    FloatToLittleEndian(static_cast<float>(image.height), header + 4);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out.write(reinterpret_cast<const char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot write the file");
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && std::has_single_bit(static_cast<unsigned>(n));
}

} // namespace mot
