#include "Golden.h"

#include "image/Png.h"

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

} // namespace e2e
