#include "tex/MotFile.h"

#include "files/Files.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace mot {

namespace {

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
    files::Input file(path);
    switch (file.problem()) {
    case files::Input::Problem::None:
        break;
    case files::Input::Problem::Missing:
        throw Refused("File not found: '" + path + "'");
    case files::Input::Problem::Folder:
        throw Refused("Path/File access error: '" + path + "' is a folder");
    case files::Input::Problem::NotAFile:
        // A pipe or a device would block the open or never end the read.
        throw Refused("Path/File access error: '" + path + "' is not a file");
    case files::Input::Problem::Unreadable:
        throw Refused("Path/File access error: '" + path + "' cannot be read: " + file.Why());
    }

    try {
        std::uint8_t header[HeaderBytes] = {};
        const std::size_t got = file.Read(header, sizeof header);
        MotRead read;
        DecodeSizes(header, read.storedWidth, read.storedHeight);
        if (got < sizeof header)
            throw Refused("'" + path + "' is too short for an image: " + std::to_string(got) +
                              " bytes, where its two sizes alone take 8",
                          read.storedWidth, read.storedHeight);
        static const std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (std::equal(header, header + HeaderBytes, PngSignature))
            throw Refused("'" + path + "' is a PNG file, not a .MOT image", read.storedWidth, read.storedHeight);
        if (!IsValidSize(read.storedWidth) || !IsValidSize(read.storedHeight))
            throw Refused("Bad image size " + SizeText(read.storedWidth) + " x " + SizeText(read.storedHeight) +
                              " in '" + path + "' (sizes must be whole numbers from 1 to " + std::to_string(MaxSize) +
                              ")",
                          read.storedWidth, read.storedHeight);

        MotImage& image = read.image;
        image.width = static_cast<int>(read.storedWidth);
        image.height = static_cast<int>(read.storedHeight);
        const std::size_t pixelBytes = static_cast<std::size_t>(3) * image.width * image.height;
        const std::uint64_t held = file.Size() > HeaderBytes ? file.Size() - HeaderBytes : 0;
        // Memory follows what the file holds, not what its sizes claim.
        if (held + MaxMissingBytes < pixelBytes)
            throw Refused("'" + path + "' is far too short for its sizes " + std::to_string(image.width) + " x " +
                              std::to_string(image.height) + ": it holds " + std::to_string(held) + " of their " +
                              std::to_string(pixelBytes) + " pixel bytes, and at most " +
                              std::to_string(MaxMissingBytes) + " may be missing",
                          read.storedWidth, read.storedHeight);
        image.rgb.assign(pixelBytes, 0);
        // A short file leaves the rest of the zero-filled buffer as it is.
        read.missingBytes = pixelBytes - file.Read(image.rgb.data(), pixelBytes);
        return read;
    } catch (const files::Error& e) {
        throw Refused(std::string("Path/File access error: ") + e.what());
    }
}

void SaveMot(const std::string& path, const MotImage& image)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = EncodeMot(image);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("cannot write '" + path + "': " + e.what());
    }
    files::WriteFile(path, bytes.data(), bytes.size());
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && std::has_single_bit(static_cast<unsigned>(n));
}

} // namespace mot
