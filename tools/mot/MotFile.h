// ".MOT" images for the tools: the same layout and the same refusals as the
// show's reader, without its GL side, so the tools build and run on their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mot {

// The largest width or height the show accepts.
constexpr int MaxSize = 8192;

struct MotImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes, first row first (t = 0)
};

// Reads a ".MOT" file. Throws std::runtime_error naming the file when it is
// missing or its sizes are not whole numbers in 1..MaxSize; a short file is
// accepted with the missing bytes 0 (as the show does) and reported through
// `shortBytes` when given.
MotImage LoadMot(const std::string& path, std::size_t* shortBytes = nullptr);

// Writes a ".MOT" file: float32 LE width and height, then the RGB bytes.
// Throws std::runtime_error naming the file on failure or on a bad size.
void SaveMot(const std::string& path, const MotImage& image);

// True for 1, 2, 4, 8, ...
bool IsPowerOfTwo(int n);

} // namespace mot
