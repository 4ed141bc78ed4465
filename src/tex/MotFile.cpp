#include "tex/MotFile.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace mot {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

float FloatFromLittleEndian(const std::uint8_t* b)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return std::bit_cast<float>(bits);
}

void PutFloatLittleEndian(std::uint8_t* b, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::string SizeText(float size)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(size));
    return text;
}

} // namespace

void DecodeSizes(const std::uint8_t* header, float& width, float& height)
{
    width = FloatFromLittleEndian(header);
    height = FloatFromLittleEndian(header + 4);
}

bool IsValidSize(float size)
{
    return std::isfinite(size) && size >= 1 && size <= static_cast<float>(MaxSize) && size == std::nearbyint(size);
}

std::vector<std::uint8_t> EncodeMot(const MotImage& image)
{
    if (image.width < 1 || image.width > MaxSize || image.height < 1 || image.height > MaxSize)
        throw std::runtime_error("an image of " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                                 " pixels has sizes outside 1.." + std::to_string(MaxSize));
    const std::size_t pixelBytes = static_cast<std::size_t>(3) * image.width * image.height;
    if (image.rgb.size() != pixelBytes) throw std::runtime_error("the pixel bytes do not match the image's sizes");
    std::vector<std::uint8_t> bytes(HeaderBytes + pixelBytes);
    PutFloatLittleEndian(bytes.data(), static_cast<float>(image.width));
    PutFloatLittleEndian(bytes.data() + 4, static_cast<float>(image.height));
    std::copy(image.rgb.begin(), image.rgb.end(), bytes.begin() + HeaderBytes);
    return bytes;
}

MotRead ReadMotFile(const std::string& path)
{
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) throw Refused("Path/File access error: '" + path + "' is a folder");
    // A pipe or a device would block the open or never end the read.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw Refused("Path/File access error: '" + path + "' is not a file");
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw Refused("File not found: '" + path + "'");

    std::uint8_t header[HeaderBytes] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file.get());
    MotRead read;
    DecodeSizes(header, read.storedWidth, read.storedHeight);
    if (got < sizeof header)
        throw Refused("'" + path + "' is too short for an image: " + std::to_string(got) +
                          " bytes, where its two sizes alone take 8",
                      read.storedWidth, read.storedHeight);
    if (!IsValidSize(read.storedWidth) || !IsValidSize(read.storedHeight))
        throw Refused("Bad image size " + SizeText(read.storedWidth) + " x " + SizeText(read.storedHeight) + " in '" +
                          path + "' (sizes must be whole numbers from 1 to " + std::to_string(MaxSize) + ")",
                      read.storedWidth, read.storedHeight);

    MotImage& image = read.image;
    image.width = static_cast<int>(read.storedWidth);
    image.height = static_cast<int>(read.storedHeight);
    image.rgb.assign(static_cast<std::size_t>(3) * image.width * image.height, 0);
    // One read; a short file leaves the rest of the zero-filled buffer as it is.
    const std::size_t pixels = std::fread(image.rgb.data(), 1, image.rgb.size(), file.get());
    read.missingBytes = image.rgb.size() - pixels;
    return read;
}

void SaveMot(const std::string& path, const MotImage& image)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = EncodeMot(image);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("cannot write '" + path + "': " + e.what());
    }
    File file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0)
        throw std::runtime_error("cannot write '" + path + "'");
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && std::has_single_bit(static_cast<unsigned>(n));
}

} // namespace mot
