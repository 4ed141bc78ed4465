// Reference pictures of the show: the frames and seed they are taken with,
// and the comparison that decides whether a new picture still matches.
#pragma once

#include <string>

namespace e2e {

// The arguments every reference run uses besides its snapshots.
constexpr const char* GoldenSeed = "7";

// Compares two PNG files of the same size. Software rendering of the same
// calls is stable, but a driver update may move an edge by a pixel: allow a
// small mean difference and a few strongly different pixels. Returns an
// empty string when they match, else what differs.
std::string CompareWithGolden(const std::string& picture, const std::string& golden);

// How far apart two pictures of the same frame are, as rounding in a 16-bit
// picture is judged: a value on a 5/6/5 boundary moves by one step, up to
// 8 (or 4) levels of an 8-bit channel.
struct PictureDifference {
    std::string error;     // why the two could not be compared; empty if they could
    double beyondStep = 0; // share of pixels off by more than 9 in some channel
    double differing = 0;  // share of pixels off at all
    int worst = 0;         // the largest channel difference
    std::string where;     // the box around the pixels beyond a step, and the 80 x 60 tile most of them lie in
};
PictureDifference ComparePictures(const std::string& a, const std::string& b);

} // namespace e2e
