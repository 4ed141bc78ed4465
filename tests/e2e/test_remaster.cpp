// The remaster options as a user gives them: the show's timeline is the
// same, the picture is the same picture at a larger size, native sizes
// follow the window, and the driver's limits end the run with a clear
// message. Option checks are unit tests; the GL state and multisampling
// are checked in the GL tests.
#include "e2e/Run.h"

#include "image/Png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using e2e::RunCitadel;

namespace {

std::vector<std::string> Quiet(std::vector<std::string> args)
{
    args.insert(args.begin(), {"--headless", "--no-music", "--seed", "7"});
    return args;
}

// Mean absolute difference between small and big shrunk by half.
double HalfSizeDifference(const image::Image& big, const image::Image& small)
{
    double sum = 0;
    const auto at = [&](int x, int y, int c) {
        return int{big.pixels[(static_cast<std::size_t>(y) * big.width + x) * big.channels + c]};
    };
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int mean = (at(2 * x, 2 * y, c) + at(2 * x + 1, 2 * y, c) + at(2 * x, 2 * y + 1, c) +
                                  at(2 * x + 1, 2 * y + 1, c) + 2) /
                                 4;
                sum +=
                    std::abs(mean - small.pixels[(static_cast<std::size_t>(y) * small.width + x) * small.channels + c]);
            }
    return sum / (small.width * small.height * 3);
}

} // namespace

TEST(Remaster, EveryOptionKeepsTheTimelineAndALargerSizeDrawsTheSamePicture)
{
    // Through the end of the titles into the first orbit. A small render
    // size keeps the multisampled run quick; the picture is compared large.
    const std::string folder = e2e::TempFolder("remaster");
    const auto plain = RunCitadel(
        Quiet({"--frames", "360", "--state-log", folder + "/plain.csv", "--snapshot", "30=" + folder + "/small.png"}));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto remastered =
        RunCitadel(Quiet({"--frames", "360", "--state-log", folder + "/remaster.csv", "--render-size", "320x240",
                          "--colour-depth", "32", "--depth-bits", "24", "--msaa", "4"}));
    ASSERT_EQ(remastered.status, 0) << remastered.err;
    const auto expected = e2e::ReadLines(folder + "/plain.csv");
    ASSERT_EQ(expected.size(), 361u);
    EXPECT_EQ(e2e::ReadLines(folder + "/remaster.csv"), expected);

    const auto big =
        RunCitadel(Quiet({"--frames", "30", "--render-size", "1280x960", "--snapshot", "30=" + folder + "/big.png"}));
    ASSERT_EQ(big.status, 0) << big.err;
    const auto smallPicture = image::ReadPng(folder + "/small.png");
    const auto bigPicture = image::ReadPng(folder + "/big.png");
    ASSERT_EQ(std::vector<int>({smallPicture.width, smallPicture.height, bigPicture.width, bigPicture.height}),
              (std::vector<int>{640, 480, 1280, 960}));
    const double difference = HalfSizeDifference(bigPicture, smallPicture);
    EXPECT_LT(difference, 6.0);
    EXPECT_GT(std::count_if(smallPicture.pixels.begin(), smallPicture.pixels.end(), [](int v) { return v > 16; }),
              30000)
        << "a blank frame would prove nothing";
    RecordProperty("mean_abs_difference_x100", static_cast<int>(difference * 100));
}

TEST(Remaster, NativeIsTheLargestFourByThreeAreaOfTheWindowOrScreen)
{
    // SDL's off-screen driver stands in for a display with windows.
    const std::map<std::string, std::string> env{{"SDL_VIDEODRIVER", "offscreen"}};
    const std::string folder = e2e::TempFolder("remaster-native");
    const auto size = [&](std::vector<std::string> args, const std::map<std::string, std::string>& with) {
        args.insert(args.end(), {"--no-music", "--fps", "0", "--frames", "2", "--snapshot", "2=" + folder + "/n.png"});
        const auto run = RunCitadel(args, with);
        EXPECT_EQ(run.status, 0) << run.err;
        const auto picture = image::ReadPng(folder + "/n.png");
        return std::make_pair(std::vector<int>{picture.width, picture.height}, run.err);
    };
    EXPECT_EQ(size({"--window=1280x720", "--render-size", "native"}, env).first, (std::vector<int>{960, 720}));
    EXPECT_EQ(size({"--window=700x900", "--render-size", "native"}, env).first, (std::vector<int>{700, 525}));
    // Full screen: the monitor's desktop mode (the off-screen driver says
    // 1024 x 768), measured before the window covers it.
    const auto full = size({"--remaster"}, env).first;
    EXPECT_EQ(full[0] * 3, full[1] * 4);
    EXPECT_GE(full[0], 640);
    // Headless has no display to measure: the show's own size, with a note.
    const auto headless = size({"--remaster", "--headless"}, {});
    EXPECT_EQ(headless.first, (std::vector<int>{640, 480}));
    EXPECT_NE(headless.second.find("640x480"), std::string::npos) << headless.second;
}

TEST(Remaster, SizesPastTheDriversLimitsAreRunTimeErrors)
{
    // 4:3 and within 16 bits, but larger than any software renderer gives.
    const auto run = RunCitadel(Quiet({"--render-size", "32764x24573", "--frames", "2"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("32764x24573 is larger than the graphics driver allows"), std::string::npos) << run.err;
}
