#include "Golden.h"

#include "image/Png.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace e2e {

std::string CompareWithGolden(const std::string& picture, const std::string& golden)
{
    image::Image a, b;
    try {
        a = image::ReadPng(picture);
        b = image::ReadPng(golden);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    if (a.width != b.width || a.height != b.height || a.channels != b.channels) return "sizes differ";
    long long total = 0;
    long long strong = 0;
    const std::size_t pixels = static_cast<std::size_t>(a.width) * a.height;
    for (std::size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (int c = 0; c < a.channels; ++c) {
            const int d = std::abs(a.pixels[p * a.channels + c] - b.pixels[p * b.channels + c]);
            total += d;
            if (d > worst) worst = d;
        }
        if (worst > 32) ++strong;
    }
    const double mean = static_cast<double>(total) / (pixels * a.channels);
    const double strongShare = static_cast<double>(strong) / pixels;
    if (mean <= 1.0 && strongShare <= 0.002) return "";
    std::ostringstream why;
    why << picture << " vs " << golden << ": mean difference " << mean << ", " << strongShare * 100
        << "% of pixels differ by more than 32";
    return why.str();
}

PictureDifference ComparePictures(const std::string& pathA, const std::string& pathB)
{
    PictureDifference d;
    image::Image a, b;
    try {
        a = image::ReadPng(pathA);
        b = image::ReadPng(pathB);
    } catch (const std::runtime_error& e) {
        d.error = e.what();
        return d;
    }
    if (a.width != b.width || a.height != b.height || a.channels != b.channels || a.width == 0) {
        d.error = pathA + " and " + pathB + " differ in size";
        return d;
    }
    constexpr int TileWidth = 80, TileHeight = 60;
    const int columns = (a.width + TileWidth - 1) / TileWidth;
    std::vector<int> tiles(static_cast<std::size_t>(columns * ((a.height + TileHeight - 1) / TileHeight)));
    int left = a.width, top = a.height, right = -1, bottom = -1;
    long long beyond = 0, differing = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const std::size_t p = static_cast<std::size_t>(y) * a.width + x;
            int worst = 0;
            for (int c = 0; c < a.channels; ++c)
                worst = std::max(worst, std::abs(a.pixels[p * a.channels + c] - b.pixels[p * a.channels + c]));
            d.worst = std::max(d.worst, worst);
            differing += worst > 0;
            if (worst <= 9) continue;
            ++beyond;
            ++tiles[static_cast<std::size_t>(y / TileHeight * columns + x / TileWidth)];
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    const double pixels = static_cast<double>(a.width) * a.height;
    d.beyondStep = static_cast<double>(beyond) / pixels;
    d.differing = static_cast<double>(differing) / pixels;
    if (beyond > 0) {
        const auto busiest = static_cast<int>(std::max_element(tiles.begin(), tiles.end()) - tiles.begin());
        std::ostringstream where;
        where << "beyond a step within x " << left << "-" << right << ", y " << top << "-" << bottom
              << " (from the top); " << tiles[static_cast<std::size_t>(busiest)] << " of them in the tile at x "
              << busiest % columns * TileWidth << ", y " << busiest / columns * TileHeight;
        d.where = where.str();
    }
    return d;
}

} // namespace e2e
