// Texture objects apart from ES: unpacking uploads, mip-map levels, and
// when GL counts a texture complete.
#include "gles/Enums.h"
#include "gles/Error.h"
#include "gles/TextureImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace gles {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Rows of 2 RGB texels are 6 bytes; under alignment 4 each starts 8 apart.
TEST(TextureImage, UnpackFollowsTheAlignmentAndTheBaseFormat)
{
    const Bytes padded{1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12};
    Bytes rgba;
    UnpackRgba(padded.data(), 2, 2, glenum::Rgb, 4, true, rgba);
    EXPECT_EQ(rgba, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}));
    const Bytes tight{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    UnpackRgba(tight.data(), 2, 2, glenum::Rgb, 1, true, rgba);
    EXPECT_EQ(rgba, (Bytes{1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255}));
    // RGBA data into an RGB texture loses its alpha.
    const Bytes withAlpha{1, 2, 3, 40, 5, 6, 7, 80};
    UnpackRgba(withAlpha.data(), 2, 1, glenum::Rgba, 4, true, rgba);
    EXPECT_EQ(rgba, withAlpha);
    UnpackRgba(withAlpha.data(), 2, 1, glenum::Rgba, 4, false, rgba);
    EXPECT_EQ(rgba, (Bytes{1, 2, 3, 255, 5, 6, 7, 255}));
    UnpackRgba(nullptr, 1, 1, glenum::Rgb, 4, true, rgba);
    EXPECT_EQ(rgba, (Bytes{0, 0, 0, 0}));
}

TEST(TextureImage, HalvingAveragesBlocksThenPairs)
{
    const Bytes square{0, 0, 0, 0, 10, 20, 30, 255, 1, 1, 1, 1, 2, 2, 2, 2};
    Bytes half;
    HalveRgba(square, 2, 2, half);
    EXPECT_EQ(half, (Bytes{3, 6, 8, 65})); // (13 + 2) / 4 rounds to 3, ...
    const Bytes column{10, 0, 0, 0, 21, 0, 0, 0, 30, 0, 0, 0, 40, 0, 0, 0};
    HalveRgba(column, 1, 4, half);
    EXPECT_EQ(half, (Bytes{16, 0, 0, 0, 35, 0, 0, 0}));
    HalveRgba(column, 4, 1, half);
    EXPECT_EQ(half, (Bytes{16, 0, 0, 0, 35, 0, 0, 0}));
}

TEST(TextureImage, CompletenessNeedsEveryLevelAMipMapFilterReads)
{
    TextureObject t;
    EXPECT_FALSE(IsComplete(t));
    t.levels[0] = {4, 2, static_cast<int>(glenum::Rgb)};
    EXPECT_FALSE(IsComplete(t)); // GL's default minifying filter wants mip-maps
    SetTextureParameter(t, glenum::TextureMinFilter, static_cast<int>(glenum::Linear));
    EXPECT_TRUE(IsComplete(t));
    SetTextureParameter(t, glenum::TextureMinFilter, static_cast<int>(glenum::LinearMipmapLinear));
    t.levels[1] = {2, 1, static_cast<int>(glenum::Rgb)};
    EXPECT_FALSE(IsComplete(t));
    t.levels[2] = {1, 1, static_cast<int>(glenum::Rgba)};
    EXPECT_FALSE(IsComplete(t)); // a level of another format
    t.levels[2] = {1, 1, static_cast<int>(glenum::Rgb)};
    EXPECT_TRUE(IsComplete(t));
    EXPECT_FALSE(HasAlpha(t));
}

TEST(TextureImage, ParametersAndFormatsOutsideTheSubsetThrow)
{
    TextureObject t;
    EXPECT_THROW(SetTextureParameter(t, glenum::TextureWrapS, static_cast<int>(glenum::Clamp)), Error);
    EXPECT_THROW(SetTextureParameter(t, glenum::TextureMagFilter, static_cast<int>(glenum::LinearMipmapLinear)), Error);
    EXPECT_THROW(SetTextureParameter(t, 0x8191, 1), Error); // GL_GENERATE_MIPMAP
    EXPECT_EQ(GetBaseFormat("glTexImage2D", 3), glenum::Rgb);
    EXPECT_EQ(GetBaseFormat("glTexImage2D", static_cast<int>(glenum::Rgba8)), glenum::Rgba);
    try {
        GetBaseFormat("glTexImage2D", 0x1909); // GL_LUMINANCE
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "GL renderer: glTexImage2D with internal format 0x1909 is not supported");
    }
}

} // namespace
} // namespace gles
