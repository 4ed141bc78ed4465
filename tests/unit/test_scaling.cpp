// Where the picture lands on a window or a capture, and how it is scaled
// there; the sound clock of a capture.
#include "app/Capture.h"
#include "app/FrameScale.h"
#include "platform/Video.h"

#include <gtest/gtest.h>

using platform::Box;
using platform::FitBox;
using platform::ScaleFilter;

namespace {

void ExpectBox(const Box& box, int x, int y, int width, int height)
{
    EXPECT_EQ(box.x, x);
    EXPECT_EQ(box.y, y);
    EXPECT_EQ(box.width, width);
    EXPECT_EQ(box.height, height);
}

std::vector<std::uint8_t> Pixel(const std::vector<std::uint8_t>& rgb, int width, int x, int y)
{
    const auto* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(FitBox, KeepsFourToThreeWithCentredBarsForAnyWindow)
{
    ExpectBox(FitBox(640, 480, 640, 480, ScaleFilter::Linear), 0, 0, 640, 480);
    ExpectBox(FitBox(640, 480, 1920, 1080, ScaleFilter::Linear), 240, 0, 1440, 1080);   // bars left and right
    ExpectBox(FitBox(640, 480, 1280, 1024, ScaleFilter::Linear), 0, 32, 1280, 960);    // bars above and below
    // Odd sizes: the box never spills over, the odd pixel goes to the far bar.
    ExpectBox(FitBox(640, 480, 1001, 701, ScaleFilter::Nearest), 33, 0, 934, 701);
    ExpectBox(FitBox(640, 480, 641, 480, ScaleFilter::Linear), 0, 0, 640, 480);
    ExpectBox(FitBox(640, 480, 333, 999, ScaleFilter::Linear), 0, 375, 333, 249);
    // Nothing to fit into, or nothing to fit.
    ExpectBox(FitBox(640, 480, 0, 480, ScaleFilter::Linear), 0, 0, 0, 0);
    ExpectBox(FitBox(0, 0, 640, 480, ScaleFilter::Linear), 0, 0, 0, 0);
}

TEST(FitBox, IntegerTakesTheLargestWholeMultiple)
{
    ExpectBox(FitBox(640, 480, 1920, 1080, ScaleFilter::Integer), 320, 60, 1280, 960);
    ExpectBox(FitBox(640, 480, 1919, 1440, ScaleFilter::Integer), 319, 240, 1280, 960);
    ExpectBox(FitBox(640, 480, 3840, 2160, ScaleFilter::Integer), 640, 120, 2560, 1920);
    ExpectBox(FitBox(640, 480, 1920, 1440, ScaleFilter::Integer), 0, 0, 1920, 1440);
    // Smaller than one multiple: the picture at 1:1, centred and cut.
    ExpectBox(FitBox(640, 480, 600, 400, ScaleFilter::Integer), -20, -40, 640, 480);
}

TEST(ScaleFrame, SameSizeIsAnExactCopy)
{
    std::vector<std::uint8_t> source(64 * 48 * 3);
    for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> target;
    ScaleFrame(source, 64, 48, target, 64, 48, ScaleFilter::Linear);
    EXPECT_EQ(target, source);
}

TEST(ScaleFrame, NearestRepeatsPixelsAndLeavesBlackBars)
{
    // 4x3 picture, each pixel its own colour, into 16x6: an 8x6 box at x 4.
    std::vector<std::uint8_t> source(4 * 3 * 3);
    for (int i = 0; i < 12; ++i) source[static_cast<std::size_t>(i) * 3] = static_cast<std::uint8_t>(10 * (i + 1));
    std::vector<std::uint8_t> target;
    ScaleFrame(source, 4, 3, target, 16, 6, ScaleFilter::Nearest);
    ASSERT_EQ(target.size(), 16u * 6 * 3);
    EXPECT_EQ(Pixel(target, 16, 0, 0), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(Pixel(target, 16, 3, 5), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(Pixel(target, 16, 12, 2), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(Pixel(target, 16, 4, 0)[0], 10);
    EXPECT_EQ(Pixel(target, 16, 5, 1)[0], 10);
    EXPECT_EQ(Pixel(target, 16, 6, 0)[0], 20);
    EXPECT_EQ(Pixel(target, 16, 11, 5)[0], 120);
}

TEST(ScaleFrame, LinearShrinkAveragesInsteadOfSkipping)
{
    // A one-pixel checkerboard of black and white halves to an even grey; a
    // filter that picks pixels would give all black or all white.
    const int w = 64, h = 48;
    std::vector<std::uint8_t> source(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                source[(static_cast<std::size_t>(y) * w + x) * 3 + c] = ((x + y) % 2) ? 255 : 0;
    std::vector<std::uint8_t> target;
    ScaleFrame(source, w, h, target, w / 4, h / 4, ScaleFilter::Linear);
    for (int y = 1; y < h / 4 - 1; ++y)
        for (int x = 1; x < w / 4 - 1; ++x) EXPECT_NEAR(Pixel(target, w / 4, x, y)[0], 128, 3) << x << "," << y;
}

TEST(ScaleFrame, LinearGrowKeepsFlatAreasFlatAndBlendsEdges)
{
    // Left half 0, right half 200, doubled: flat away from the edge, between
    // at it, never outside the two.
    std::vector<std::uint8_t> source(8 * 6 * 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 4; x < 8; ++x) source[(static_cast<std::size_t>(y) * 8 + x) * 3 + 1] = 200;
    std::vector<std::uint8_t> target;
    ScaleFrame(source, 8, 6, target, 16, 12, ScaleFilter::Linear);
    EXPECT_EQ(Pixel(target, 16, 2, 5)[1], 0);
    EXPECT_EQ(Pixel(target, 16, 13, 5)[1], 200);
    EXPECT_GT(Pixel(target, 16, 7, 5)[1], 0);
    EXPECT_LT(Pixel(target, 16, 7, 5)[1], 200);
    EXPECT_GT(Pixel(target, 16, 8, 5)[1], Pixel(target, 16, 7, 5)[1]);
}

TEST(ScaleFrame, IntegerTooSmallFallsBackToAFittedBox)
{
    std::vector<std::uint8_t> source(640 * 480 * 3, 90);
    std::vector<std::uint8_t> target;
    ScaleFrame(source, 640, 480, target, 320, 240, ScaleFilter::Integer);
    ASSERT_EQ(target.size(), 320u * 240 * 3);
    EXPECT_EQ(Pixel(target, 320, 0, 0)[2], 90);
    EXPECT_EQ(Pixel(target, 320, 319, 239)[2], 90);
}

TEST(CaptureClock, FrameStartsNeverDrift)
{
    EXPECT_EQ(SamplesBefore(0, 60), 0u);
    EXPECT_EQ(SamplesBefore(1, 60), 800u);
    EXPECT_EQ(SamplesBefore(3186, 60), 3186u * 800);
    // 48000 / 7 is not whole: each start is rounded down on its own, so the
    // steps differ by at most one sample and a second is always 48000.
    for (std::uint64_t k = 0; k < 700; ++k) {
        const auto step = SamplesBefore(k + 1, 7) - SamplesBefore(k, 7);
        EXPECT_TRUE(step == 6857 || step == 6858) << k;
    }
    EXPECT_EQ(SamplesBefore(7 * 1000, 7), 48000u * 1000);
    EXPECT_EQ(SamplesBefore(24 * 3600, 24), 48000u * 3600);
}
