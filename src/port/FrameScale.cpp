#include "port/FrameScale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Tap {
    int index;
    float weight;
};

// For each of `length` target pixels, the source pixels (of `sourceLength`)
// it is made of and their weights, summing to 1.
std::vector<std::vector<Tap>> Taps(int sourceLength, int length, platform::ScaleFilter filter)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(length));
    const double step = static_cast<double>(sourceLength) / length;
    for (int i = 0; i < length; ++i) {
        const double centre = (i + 0.5) * step - 0.5;
        auto& list = taps[static_cast<std::size_t>(i)];
        if (filter != platform::ScaleFilter::Linear) {
            list.push_back({std::clamp(static_cast<int>(std::floor((i + 0.5) * step)), 0, sourceLength - 1), 1.0f});
            continue;
        }
        const double radius = std::max(1.0, step);
        float sum = 0;
        for (int j = static_cast<int>(std::ceil(centre - radius)); j <= static_cast<int>(std::floor(centre + radius));
             ++j) {
            const auto weight = static_cast<float>(1.0 - std::fabs(j - centre) / radius);
            if (weight <= 0) continue;
            list.push_back({std::clamp(j, 0, sourceLength - 1), weight});
            sum += weight;
        }
        for (Tap& tap : list) tap.weight /= sum;
    }
    return taps;
}

} // namespace

void ScaleFrame(const std::vector<std::uint8_t>& source, int sourceWidth, int sourceHeight,
                std::vector<std::uint8_t>& target, int targetWidth, int targetHeight, platform::ScaleFilter filter)
{
    target.assign(static_cast<std::size_t>(targetWidth) * targetHeight * 3, 0);
    platform::Box box = platform::FitBox(sourceWidth, sourceHeight, targetWidth, targetHeight, filter);
    if (box.width > targetWidth || box.height > targetHeight) {
        filter = platform::ScaleFilter::Nearest;
        box = platform::FitBox(sourceWidth, sourceHeight, targetWidth, targetHeight, filter);
    }
    if (box.width <= 0 || box.height <= 0) return;
    const std::size_t targetRow = static_cast<std::size_t>(targetWidth) * 3;
    const std::size_t sourceRow = static_cast<std::size_t>(sourceWidth) * 3;

    if (box.width == sourceWidth && box.height == sourceHeight) {
        for (int y = 0; y < sourceHeight; ++y)
            std::memcpy(&target[(box.y + y) * targetRow + box.x * 3], &source[y * sourceRow], sourceRow);
        return;
    }

    // Across first, into floats, then down.
    const auto across = Taps(sourceWidth, box.width, filter);
    const auto down = Taps(sourceHeight, box.height, filter);
    std::vector<float> wide(static_cast<std::size_t>(box.width) * sourceHeight * 3);
    for (int y = 0; y < sourceHeight; ++y) {
        for (int x = 0; x < box.width; ++x) {
            float rgb[3] = {0, 0, 0};
            for (const Tap& tap : across[static_cast<std::size_t>(x)]) {
                const std::uint8_t* p = &source[y * sourceRow + static_cast<std::size_t>(tap.index) * 3];
                for (int c = 0; c < 3; ++c) rgb[c] += p[c] * tap.weight;
            }
            std::copy_n(rgb, 3, &wide[(static_cast<std::size_t>(y) * box.width + x) * 3]);
        }
    }
    for (int y = 0; y < box.height; ++y) {
        std::uint8_t* row = &target[(box.y + y) * targetRow + box.x * 3];
        for (int x = 0; x < box.width * 3; ++x) {
            float value = 0;
            for (const Tap& tap : down[static_cast<std::size_t>(y)])
                value += wide[static_cast<std::size_t>(tap.index) * box.width * 3 + x] * tap.weight;
            row[x] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
        }
    }
}
