// The remaster options as a user gives them: the show's timeline is the
// same, the pictures are the same picture at a larger size, the options are
// checked, and the driver's limits end the run with a clear message.
#include "e2e/Run.h"

#include "image/Png.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using e2e::RunCitadel;

namespace {

const std::vector<std::string> Quiet = {"--headless", "--no-music", "--seed", "7"};

std::vector<std::string> With(std::vector<std::string> args)
{
    args.insert(args.begin(), Quiet.begin(), Quiet.end());
    return args;
}

// A whole-pixel box filter: factor x factor pixels become one.
image::Image Shrink(const image::Image& big, int factor)
{
    image::Image small;
    small.width = big.width / factor;
    small.height = big.height / factor;
    small.channels = 3;
    small.pixels.resize(static_cast<std::size_t>(small.width) * small.height * 3);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += big.pixels[((static_cast<std::size_t>(y) * factor + dy) * big.width + x * factor + dx) *
                                              big.channels + c];
                small.pixels[(static_cast<std::size_t>(y) * small.width + x) * 3 + c] =
                    static_cast<std::uint8_t>((sum + factor * factor / 2) / (factor * factor));
            }
    return small;
}

double MeanAbsoluteDifference(const image::Image& a, const image::Image& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(int{a.pixels[i]} - int{b.pixels[i]});
    return sum / static_cast<double>(a.pixels.size());
}

std::uint32_t ColourAt(const image::Image& picture, std::size_t pixel)
{
    const std::size_t at = pixel * picture.channels;
    return picture.pixels[at] << 16 | picture.pixels[at + 1] << 8 | picture.pixels[at + 2];
}

// The pixels in which two pictures of the same size differ.
std::vector<std::size_t> EdgePixels(const image::Image& a, const image::Image& b)
{
    std::vector<std::size_t> pixels;
    for (std::size_t p = 0; p < static_cast<std::size_t>(a.width) * a.height; ++p)
        if (ColourAt(a, p) != ColourAt(b, p)) pixels.push_back(p);
    return pixels;
}

std::size_t DistinctColours(const image::Image& picture, const std::vector<std::size_t>& pixels)
{
    std::set<std::uint32_t> colours;
    for (std::size_t p : pixels) colours.insert(ColourAt(picture, p));
    return colours.size();
}

// The sum of the differences between neighbouring pixels: hard stair-step
// edges make it larger.
long long Steepness(const image::Image& picture)
{
    long long sum = 0;
    const int c = picture.channels;
    for (int y = 1; y < picture.height; ++y)
        for (int x = 1; x < picture.width; ++x)
            for (int k = 0; k < 3; ++k) {
                const auto at = [&](int px, int py) {
                    return int{picture.pixels[(static_cast<std::size_t>(py) * picture.width + px) * c + k]};
                };
                sum += std::abs(at(x, y) - at(x - 1, y)) + std::abs(at(x, y) - at(x, y - 1));
            }
    return sum;
}

} // namespace

TEST(Remaster, TheTimelineIsTheSameWithEveryOption)
{
    // Through the end of the titles into the first orbit. A small render
    // size keeps the multisampled run quick; the scale test covers large ones.
    const std::string folder = e2e::TempFolder("remaster-log");
    const auto plain = RunCitadel(With({"--frames", "360", "--state-log", folder + "/plain.csv"}));
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto remastered = RunCitadel(With({"--frames", "360", "--state-log", folder + "/remaster.csv",
                                             "--render-size", "320x240", "--colour-depth", "32", "--depth-bits", "24",
                                             "--msaa", "4"}));
    ASSERT_EQ(remastered.status, 0) << remastered.err;
    const auto expected = e2e::ReadLines(folder + "/plain.csv");
    ASSERT_EQ(expected.size(), 361u);
    EXPECT_EQ(e2e::ReadLines(folder + "/remaster.csv"), expected);
}

TEST(Remaster, ALargerRenderSizeIsTheSamePictureSharper)
{
    const std::string folder = e2e::TempFolder("remaster-scale");
    ASSERT_EQ(RunCitadel(With({"--frames", "30", "--snapshot", "30=" + folder + "/small.png"})).status, 0);
    const auto run = RunCitadel(With({"--frames", "30", "--render-size", "1280x960", "--snapshot",
                                      "30=" + folder + "/big.png"}));
    ASSERT_EQ(run.status, 0) << run.err;

    const auto small = image::ReadPng(folder + "/small.png");
    const auto big = image::ReadPng(folder + "/big.png");
    ASSERT_EQ(small.width, 640);
    ASSERT_EQ(big.width, 1280);
    ASSERT_EQ(big.height, 960);
    const double difference = MeanAbsoluteDifference(Shrink(big, 2), small);
    EXPECT_LT(difference, 6.0);
    // ... and not merely a blank frame twice: the picture has content.
    EXPECT_GT(Steepness(small), 1000000);
    RecordProperty("mean_abs_difference_x100", static_cast<int>(difference * 100));
}

TEST(Remaster, MultisamplingSmoothsTheEdges)
{
    const std::string folder = e2e::TempFolder("remaster-msaa");
    for (const char* samples : {"0", "4"}) {
        const auto run = RunCitadel(With({"--frames", "30", "--colour-depth", "32", "--msaa", samples, "--snapshot",
                                          "30=" + folder + "/msaa" + samples + ".png"}));
        ASSERT_EQ(run.status, 0) << run.err;
    }
    const auto hard = image::ReadPng(folder + "/msaa0.png");
    const auto smooth = image::ReadPng(folder + "/msaa4.png");
    // Samples change only the pixels that edges cross; shading inside a
    // polygon is the same.
    const auto edges = EdgePixels(hard, smooth);
    EXPECT_GT(edges.size(), 1000u);
    EXPECT_LT(edges.size(), hard.pixels.size() / 3 / 10);
    // Along the edges the smooth picture has in-between shades: more colours
    // and smaller steps from pixel to pixel.
    EXPECT_GT(DistinctColours(smooth, edges), DistinctColours(hard, edges) * 11 / 10)
        << DistinctColours(smooth, edges) << " vs " << DistinctColours(hard, edges);
    EXPECT_LT(Steepness(smooth), Steepness(hard));
}

TEST(Remaster, NativeIsTheLargestFourByThreeAreaOfTheWindow)
{
    // SDL's off-screen driver stands in for a display with windows.
    const std::map<std::string, std::string> env{{"SDL_VIDEODRIVER", "offscreen"}};
    const std::string folder = e2e::TempFolder("remaster-native");
    const struct {
        const char* window;
        int width, height;
    } cases[] = {{"800x600", 800, 600}, {"1280x720", 960, 720}, {"700x900", 700, 525}};
    for (const auto& c : cases) {
        const std::string png = folder + "/" + c.window + ".png";
        const auto run = RunCitadel({"--window=" + std::string(c.window), "--render-size", "native", "--fps", "0",
                                     "--no-music", "--frames", "2", "--snapshot", "2=" + png},
                                    env);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto picture = image::ReadPng(png);
        EXPECT_EQ(picture.width, c.width) << c.window;
        EXPECT_EQ(picture.height, c.height) << c.window;
    }

    // Full screen: the desktop mode of the monitor (the off-screen driver
    // reports 1024 x 768), measured before the window covers it.
    const auto full = RunCitadel({"--remaster", "--fps", "0", "--no-music", "--frames", "2", "--snapshot",
                                  "2=" + folder + "/full.png"},
                                 env);
    ASSERT_EQ(full.status, 0) << full.err;
    const auto picture = image::ReadPng(folder + "/full.png");
    EXPECT_EQ(picture.width * 3, picture.height * 4);
    EXPECT_GE(picture.width, 640);

    // Headless has no display to measure: the show's own size, with a note.
    const auto run = RunCitadel(With({"--remaster", "--frames", "2", "--snapshot", "2=" + folder + "/h.png"}));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("640x480"), std::string::npos) << run.err;
    EXPECT_EQ(image::ReadPng(folder + "/h.png").width, 640);
}

TEST(Remaster, OptionsAreCheckedBeforeAnythingStarts)
{
    struct Refused {
        std::vector<std::string> args;
        const char* says;
    };
    const Refused refused[] = {
        {{"--render-size", "800x500"}, "4:3"},
        {{"--render-size", "1920x1080"}, "4:3"},
        {{"--render-size", "big"}, "WxH"},
        {{"--render-size", "40000x30000"}, "too large"},
        {{"--msaa", "3"}, "--msaa"},
        {{"--msaa", "16"}, "--msaa"},
        {{"--colour-depth", "24"}, "--colour-depth"},
        {{"--depth-bits", "32"}, "--depth-bits"},
    };
    for (const auto& r : refused) {
        const auto run = RunCitadel(With(r.args));
        EXPECT_EQ(run.status, 2) << r.args[0] << ' ' << r.args[1];
        EXPECT_NE(run.err.find(r.says), std::string::npos) << run.err;
    }
    const auto help = RunCitadel({"--help"});
    for (const char* option : {"--render-size", "--colour-depth", "--depth-bits", "--msaa", "--remaster"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(Remaster, SizesPastTheDriversLimitsAreRunTimeErrors)
{
    // 4:3 and within 16 bits, but larger than any software renderer gives.
    const auto run = RunCitadel(With({"--render-size", "32764x24573", "--frames", "2"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("32764x24573 is larger than the graphics driver allows"), std::string::npos) << run.err;
}
