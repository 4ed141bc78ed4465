// ".MOT" images, the one reader and writer of the format: the show's ReadMOT,
// the converter and the pack generator all go through here.
//
// A ".MOT" file is two little-endian float32 sizes W and H followed by
// W x H RGB pixels, 3 bytes each, first row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace mot {

// The largest width or height accepted.
inline constexpr int MaxSize = 8192;
// The two sizes before the pixels.
inline constexpr std::size_t HeaderBytes = 8;
// The most pixel bytes a file may lack and still be read (as zeros): a whole
// 1024 x 1024 image, far above the show's own, so that a cut file still
// plays, while sixteen tiny files that claim 8192 x 8192 cannot make the
// show allocate gigabytes.
inline constexpr std::size_t MaxMissingBytes = std::size_t{4} << 20;

struct MotImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes, first row first
};

// What a read found: the sizes as stored, the image, and how many of its
// pixel bytes the file did not hold (those are 0 in the image).
struct MotRead {
    float storedWidth = 0;
    float storedHeight = 0;
    MotImage image;
    std::size_t missingBytes = 0;
};

// A file that is not a readable image; the message names it and says why.
// The stored sizes come along when the file was read that far.
class Refused : public std::runtime_error {
public:
    explicit Refused(const std::string& what) : std::runtime_error(what) {}
    Refused(const std::string& what, float storedWidth, float storedHeight)
        : std::runtime_error(what), sizesRead(true), storedWidth(storedWidth), storedHeight(storedHeight)
    {
    }
    bool sizesRead = false;
    float storedWidth = 0;
    float storedHeight = 0;
};

// The two sizes of a header, as stored.
void DecodeSizes(const std::uint8_t* header, float& width, float& height);
// Whether a stored size is a whole number in 1..MaxSize.
bool IsValidSize(float size);
// The whole file's bytes for an image (sizes 1..MaxSize, rgb of the right size).
std::vector<std::uint8_t> EncodeMot(const MotImage& image);

// Reads a ".MOT" file. Refuses a path that is a folder or not a regular file,
// a file that is missing or cannot be read (with the reason), one too short
// for its sizes, sizes that are not whole numbers in 1..MaxSize, and a file
// that lacks more than MaxMissingBytes of its pixels. A file cut shorter
// than that is read with the missing bytes 0.
MotRead ReadMotFile(const std::string& path);

// Writes a ".MOT" file under a temporary name and renames it to path when
// complete. Throws std::runtime_error naming the file when the image is not
// valid or the file cannot be written; what was at path then stays.
void SaveMot(const std::string& path, const MotImage& image);

// True for 1, 2, 4, 8, ...
bool IsPowerOfTwo(int n);

} // namespace mot
