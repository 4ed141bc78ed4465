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

} // namespace e2e
