// Scaling cases the virtual screen's own FitBox test leaves out, the CPU
// scaler of captures, and the sound clock of a capture.
#include "port/Capture.h"
#include "port/FrameScale.h"

#include <gtest/gtest.h>

using platform::FitBox;
using platform::ScaleFilter;
using Rgb = std::vector<std::uint8_t>;

TEST(FitBox, WholeMultiplesAtTheirBoundaryAndOddTallWindows)
{
    const auto box = [](int w, int h, ScaleFilter f) {
        const auto b = FitBox(640, 480, w, h, f);
        return std::vector<int>{b.x, b.y, b.width, b.height};
    };
    EXPECT_EQ(box(1919, 1440, ScaleFilter::Integer), (std::vector<int>{319, 240, 1280, 960})); // one short of 3x
    EXPECT_EQ(box(1920, 1440, ScaleFilter::Integer), (std::vector<int>{0, 0, 1920, 1440}));
    EXPECT_EQ(box(333, 999, ScaleFilter::Linear), (std::vector<int>{0, 375, 333, 249}));
    EXPECT_EQ(FitBox(0, 0, 640, 480, ScaleFilter::Linear).width, 0);
}

TEST(ScaleFrame, CopiesRepeatsAveragesAndBarsAsTheFilterSays)
{
    Rgb source(64 * 48 * 3), target;
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7);
    ScaleFrame(source, 64, 48, target, 64, 48, ScaleFilter::Linear);
    EXPECT_EQ(target, source); // same size: exact, no half-pixel shift

    // A one-pixel checkerboard shrinks to even grey; picking pixels would not.
    for (std::size_t p = 0; p < 64 * 48; ++p) source[p * 3] = ((p % 64 + p / 64) % 2) ? 255 : 0;
    ScaleFrame(source, 64, 48, target, 16, 12, ScaleFilter::Linear);
    EXPECT_NEAR(target[(5 * 16 + 7) * 3], 128, 3);

    // 4x3 into 16x6: an 8x6 box at x 4 of doubled pixels, black around it.
    const Rgb tiny = {10, 0, 0, 20, 0, 0, 30, 0, 0, 40,  0, 0, 50,  0, 0, 60,  0, 0,
                      70, 0, 0, 80, 0, 0, 90, 0, 0, 100, 0, 0, 110, 0, 0, 120, 0, 0};
    ScaleFrame(tiny, 4, 3, target, 16, 6, ScaleFilter::Nearest);
    const auto red = [&](int x, int y) { return target[(y * 16 + x) * 3]; };
    EXPECT_EQ(std::vector<int>({red(3, 5), red(4, 0), red(5, 1), red(6, 0), red(11, 5), red(12, 2)}),
              (std::vector<int>{0, 10, 10, 20, 120, 0}));

    // Integer with not even 1x room falls back to a fitted box, no crop.
    ScaleFrame(Rgb(640 * 480 * 3, 90), 640, 480, target, 320, 240, ScaleFilter::Integer);
    EXPECT_EQ(target, Rgb(320 * 240 * 3, 90));
}

TEST(CaptureClock, FrameStartsNeverDrift)
{
    EXPECT_EQ(SamplesBefore(3186, 60), 3186u * 800);
    // 48000 / 7 is not whole: steps differ by at most one sample, a second is always 48000.
    for (std::uint64_t k = 0; k < 700; ++k) {
        const auto step = SamplesBefore(k + 1, 7) - SamplesBefore(k, 7);
        EXPECT_TRUE(step == 6857 || step == 6858) << k;
    }
    EXPECT_EQ(SamplesBefore(7 * 1000, 7), 48000u * 1000);
}
