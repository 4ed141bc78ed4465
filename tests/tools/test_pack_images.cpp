// The generated image pack: complete, readable by the show, fit for the
// slots it fills, and the same bytes on every run.
#include "ToolRun.h"
#include "tex/BasicTEX.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

const std::string PackDir = CITADEL_PACK_DIR;
const std::vector<std::string> AllFiles = {
    "Tex0.MOT",  "Tex1.MOT",   "Tex2.MOT",  "Tex3.MOT",     "Tex4.MOT",   "Tex5.MOT",   "Text0.MOT",  "Text1.MOT",
    "Text2.MOT", "Tittle.MOT", "Dist0.MOT", "LightMap.MOT", "CBTex0.MOT", "CBTex1.MOT", "CBTex2.MOT", "CBTex3.MOT"};

bool IsPowerOfTwo(float v)
{
    return v >= 1 && v == std::exp2(std::round(std::log2(v)));
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Mean absolute difference between two columns of the image last read.
double ColumnDifference(int a, int b)
{
    const int width = static_cast<int>(BasicTEX::TexWidth), height = static_cast<int>(BasicTEX::TexHeight);
    double sum = 0;
    for (int i = 0; i < height * 3; ++i)
        sum += std::abs(BasicTEX::TexData[(i / 3 * width + a) * 3 + i % 3] -
                        BasicTEX::TexData[(i / 3 * width + b) * 3 + i % 3]);
    return sum / (height * 3);
}

// Share of non-black pixels and mean brightest channel of the image last
// read, over the pixels whose distance to the nearest edge is in [from, to).
struct Band {
    double lit = 0, level = 0;
};
Band EdgeBand(int from, int to)
{
    const int width = static_cast<int>(BasicTEX::TexWidth), height = static_cast<int>(BasicTEX::TexHeight);
    Band band;
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int edge = std::min({x, width - 1 - x, y, height - 1 - y});
            if (edge < from || edge >= to) continue;
            const std::uint8_t* p = &BasicTEX::TexData[(static_cast<std::size_t>(y) * width + x) * 3];
            const int brightest = std::max({p[0], p[1], p[2]});
            band.lit += brightest > 0, band.level += brightest, ++count;
        }
    band.lit /= count, band.level /= count;
    return band;
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
        // Share of pure-black pixels, brightest channel, spread of the luminance.
        const auto& rgb = BasicTEX::TexData;
        double black = 0, sum = 0, squares = 0;
        int brightest = 0;
        for (std::size_t k = 0; k < rgb.size(); k += 3) {
            black += (rgb[k] | rgb[k + 1] | rgb[k + 2]) == 0;
            brightest = std::max({brightest, int{rgb[k]}, int{rgb[k + 1]}, int{rgb[k + 2]}});
            const double y = 0.3 * rgb[k] + 0.59 * rgb[k + 1] + 0.11 * rgb[k + 2];
            sum += y, squares += y * y;
        }
        const double count = static_cast<double>(rgb.size() / 3);
        EXPECT_GT(std::sqrt(squares / count - sum * sum / count / count), 4.0) << "a flat fill";
        if (alpha.count(name)) EXPECT_TRUE(black / count >= 0.25 && black / count <= 0.97 && brightest >= 90);
        if (opaque.count(name)) EXPECT_LT(black / count, 0.001);
        if (name == "Dist0.MOT") {
            // Eight additive layers of the interlude panel must not saturate.
            EXPECT_LE(brightest, 128);
            // The camera passes closest to the panels' outer parts: an image
            // that fades out long before its edges leaves most interlude
            // frames black. Only the last few pixels may fade.
            const Band outer = EdgeBand(4, 51), inner = EdgeBand(51, 128);
            EXPECT_GE(outer.lit, 0.5);
            EXPECT_GE(outer.level, 0.75 * inner.level);
        }
    }

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
    tooltest::TempDir again("pack-again");
    ASSERT_EQ(tooltest::RunTool(std::string(CITADEL_BIN_DIR) + "/citadel-pack-images " + again.path.string()).exitCode,
              0);
    for (const std::string& name : AllFiles) {
        const std::string bytes = FileBytes(again / name);
        EXPECT_TRUE(!bytes.empty() && bytes == FileBytes(PackDir + "/" + name)) << name;
    }
}
