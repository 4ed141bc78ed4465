// The generated image pack: complete, readable by the show, fit for the
// slots it fills, and the same bytes on every run.
#include "ToolRun.h"
#include "tex/BasicTEX.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>

using tooltest::RunTool;
using tooltest::TempDir;

namespace {

const std::string PackDir = CITADEL_PACK_DIR;
const std::string Generator = std::string(CITADEL_BIN_DIR) + "/citadel-pack-images";

const std::vector<std::string> AllFiles = {
    "Tex0.MOT",  "Tex1.MOT",  "Tex2.MOT",   "Tex3.MOT",  "Tex4.MOT",     "Tex5.MOT",
    "Text0.MOT", "Text1.MOT", "Text2.MOT",  "Tittle.MOT", "Dist0.MOT",   "LightMap.MOT",
    "CBTex0.MOT", "CBTex1.MOT", "CBTex2.MOT", "CBTex3.MOT"};

bool IsPowerOfTwo(float v) {
    const int n = static_cast<int>(v);
    return static_cast<float>(n) == v && n > 0 && (n & (n - 1)) == 0;
}

struct Stats {
    double black = 0;    // share of pixels exactly 0,0,0
    int brightest = 0;   // highest channel value
    double spread = 0;   // standard deviation of the luminance
};

Stats Measure(const std::vector<std::uint8_t>& rgb) {
    Stats stats;
    const std::size_t count = rgb.size() / 3;
    double sum = 0, squares = 0;
    std::size_t black = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const int r = rgb[k * 3], g = rgb[k * 3 + 1], b = rgb[k * 3 + 2];
        black += (r | g | b) == 0;
        stats.brightest = std::max({stats.brightest, r, g, b});
        const double y = 0.3 * r + 0.59 * g + 0.11 * b;
        sum += y;
        squares += y * y;
    }
    stats.black = static_cast<double>(black) / static_cast<double>(count);
    const double mean = sum / static_cast<double>(count);
    stats.spread = std::sqrt(squares / static_cast<double>(count) - mean * mean);
    return stats;
}

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Mean absolute difference between two columns of the image last read.
double ColumnDifference(int a, int b) {
    const int width = static_cast<int>(BasicTEX::TexWidth);
    const int height = static_cast<int>(BasicTEX::TexHeight);
    double sum = 0;
    for (int y = 0; y < height; ++y)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(BasicTEX::TexData[(static_cast<std::size_t>(y) * width + a) * 3 + c] -
                            BasicTEX::TexData[(static_cast<std::size_t>(y) * width + b) * 3 + c]);
    return sum / (height * 3);
}

} // namespace

TEST(PackImages, AllSixteenLoadWithTheShowsReaderAndSuitTheirSlots)
{
    const std::set<std::string> alpha = {"Tex2.MOT",   "Text0.MOT", "Text1.MOT",   "Text2.MOT",
                                         "Tittle.MOT", "Dist0.MOT", "LightMap.MOT"};
    // Opaque images have no stray black that would look transparent.
    const std::set<std::string> opaque = {"Tex0.MOT", "Tex1.MOT", "Tex3.MOT", "CBTex0.MOT"};
    for (const std::string& name : AllFiles) {
        SCOPED_TRACE(name);
        const std::string path = PackDir + "/" + name;
        ASSERT_NO_THROW(BasicTEX::ReadMOT(path));
        EXPECT_TRUE(IsPowerOfTwo(BasicTEX::TexWidth) && IsPowerOfTwo(BasicTEX::TexHeight))
            << BasicTEX::TexWidth << "x" << BasicTEX::TexHeight;
        EXPECT_EQ(std::filesystem::file_size(path), 8 + BasicTEX::TexData.size());
        const Stats stats = Measure(BasicTEX::TexData);
        EXPECT_GT(stats.spread, 4.0) << "a flat fill";
        if (alpha.count(name)) {
            EXPECT_GE(stats.black, 0.25);
            EXPECT_LE(stats.black, 0.97);
            EXPECT_GE(stats.brightest, 90);
        }
        if (opaque.count(name)) EXPECT_LT(stats.black, 0.001);
        // Eight additive layers of the interlude panel must not saturate.
        if (name == "Dist0.MOT") EXPECT_LE(stats.brightest, 128);
    }
}

TEST(PackImages, TiledImagesAreSeamless)
{
    // The terrain repeats cell to cell and the cloud tiles scroll in s: the
    // wrap from the last column to the first is no harsher than any step inside.
    for (const std::string& name : {"Tex0.MOT", "Tex3.MOT"}) {
        BasicTEX::ReadMOT(PackDir + "/" + name);
        const int width = static_cast<int>(BasicTEX::TexWidth);
        double inside = 0;
        for (int x = 0; x + 1 < width; ++x) inside += ColumnDifference(x, x + 1);
        EXPECT_LE(ColumnDifference(width - 1, 0), 1.5 * inside / (width - 1) + 1.0) << name;
    }
}

TEST(PackImages, GeneratingAgainGivesTheBuildsBytes)
{
    TempDir again("pack-again");
    ASSERT_EQ(RunTool(Generator + " " + again.path.string()).exitCode, 0);
    for (const std::string& name : AllFiles) {
        const std::vector<char> bytes = FileBytes(again / name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, FileBytes(PackDir + "/" + name)) << name;
    }
}
