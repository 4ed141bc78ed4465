// The .MOT format as the tools write it and the show reads it, and the
// citadel-mot converter run as a user would.
#include "ToolRun.h"
#include "image/Png.h"
#include "tex/BasicTEX.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

using tooltest::RunTool;
using tooltest::TempDir;

namespace {

const std::string Converter = std::string(CITADEL_BIN_DIR) + "/citadel-mot";

std::vector<std::uint8_t> Pattern(std::size_t bytes, unsigned seed) {
    std::vector<std::uint8_t> data(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<std::uint8_t>((i * 131 + seed * 17 + (i >> 5) * 7) & 0xff);
    return data;
}

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteHeader(const std::string& path, float width, float height, std::size_t pixelBytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&width), 4);  // the test machines are little-endian
    out.write(reinterpret_cast<const char*>(&height), 4);
    const std::vector<std::uint8_t> pixels = Pattern(pixelBytes, 3);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
}

} // namespace

TEST(MotFormat, ShowWriterAndReaderRoundTrip) {
    TempDir dir("mot-roundtrip");
    const std::vector<std::uint8_t> pixels = Pattern(5 * 3 * 3, 1);
    BasicTEX::WriteMOT(dir / "a.MOT", 5, 3, pixels.data());
    BasicTEX::ReadMOT(dir / "a.MOT");
    EXPECT_EQ(BasicTEX::TexWidth, 5.0f);
    EXPECT_EQ(BasicTEX::TexHeight, 3.0f);
    EXPECT_EQ(BasicTEX::TexData, pixels);

    // Two pixels make a 14-byte file: float 2, float 1, six bytes.
    const std::uint8_t two[] = {1, 2, 3, 4, 5, 6};
    BasicTEX::WriteMOT(dir / "c.MOT", 2, 1, two);
    const std::vector<char> bytes = FileBytes(dir / "c.MOT");
    ASSERT_EQ(bytes.size(), 14u);
    float width = 0, height = 0;
    std::memcpy(&width, bytes.data(), 4);
    std::memcpy(&height, bytes.data() + 4, 4);
    EXPECT_EQ(width, 2.0f);
    EXPECT_EQ(height, 1.0f);
}

TEST(MotConverter, RefusesWhatTheShowRefuses) {
    TempDir dir("mot-refuse");
    const struct {
        const char* name;
        float width, height;
    } bad[] = {{"zero", 0, 4}, {"half", 2.5f, 4}, {"huge", 8193, 1}, {"negative", 4, -4},
               {"nan", std::nanf(""), 4}};
    for (const auto& c : bad) {
        WriteHeader(dir / c.name, c.width, c.height, 48);
        EXPECT_THROW(BasicTEX::ReadMOT(dir / c.name), std::runtime_error) << c.name;
        const auto run = RunTool(Converter + " to-png " + (dir / c.name) + " " + (dir / "x.png"));
        EXPECT_NE(run.exitCode, 0) << c.name;
        EXPECT_NE(run.output.find("whole number"), std::string::npos) << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));

    EXPECT_THROW(BasicTEX::ReadMOT(dir / "none.MOT"), std::runtime_error);
    const auto missing = RunTool(Converter + " info " + (dir / "none.MOT"));
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.output.find("none.MOT"), std::string::npos) << missing.output;

    EXPECT_NE(RunTool(Converter + " frobnicate").exitCode, 0);
}

TEST(MotConverter, ShortFileReadsAsTheShowReadsIt) {
    TempDir dir("mot-short");
    WriteHeader(dir / "short.MOT", 4, 4, 30);  // 18 of 48 pixel bytes missing
    const auto run = RunTool(Converter + " to-png " + (dir / "short.MOT") + " " + (dir / "s.png"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("18 bytes short"), std::string::npos) << run.output;
    BasicTEX::ReadMOT(dir / "short.MOT");
    EXPECT_EQ(image::ReadPng(dir / "s.png").pixels, BasicTEX::TexData);
}

TEST(MotConverter, PngToMotToPngIsLosslessForRgb) {
    TempDir dir("mot-convert");
    const std::vector<std::uint8_t> pixels = Pattern(37 * 19 * 3, 5);
    image::WritePng(dir / "in.png", 37, 19, 3, pixels.data());

    const auto toMot = RunTool(Converter + " to-mot " + (dir / "in.png") + " " + (dir / "in.MOT"));
    ASSERT_EQ(toMot.exitCode, 0) << toMot.output;
    EXPECT_NE(toMot.output.find("warning"), std::string::npos) << "37x19 is not a power of two";
    BasicTEX::ReadMOT(dir / "in.MOT");
    EXPECT_EQ(BasicTEX::TexWidth, 37.0f);
    EXPECT_EQ(BasicTEX::TexData, pixels);

    const auto toPng = RunTool(Converter + " to-png " + (dir / "in.MOT") + " " + (dir / "out.png"));
    ASSERT_EQ(toPng.exitCode, 0) << toPng.output;
    const image::Image back = image::ReadPng(dir / "out.png");
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 19);
    EXPECT_EQ(back.channels, 3);
    EXPECT_EQ(back.pixels, pixels);
}

TEST(MotConverter, RgbaIsCompositedOverBlack) {
    TempDir dir("mot-rgba");
    const std::uint8_t pixels[] = {200, 100, 50, 0, 200, 100, 50, 255, 200, 100, 50, 128, 0, 0, 0, 255};
    image::WritePng(dir / "in.png", 2, 2, 4, pixels);
    const auto run = RunTool(Converter + " to-mot " + (dir / "in.png") + " " + (dir / "in.MOT"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::uint8_t> expected = {0, 0, 0, 200, 100, 50, 100, 50, 25, 0, 0, 0};
    BasicTEX::ReadMOT(dir / "in.MOT");
    EXPECT_EQ(BasicTEX::TexData, expected);
}

TEST(MotConverter, InfoAndSheet) {
    TempDir dir("mot-info");
    // Four pixels, one of them exactly black.
    const std::uint8_t pixels[] = {0, 0, 0, 10, 20, 30, 255, 0, 0, 1, 1, 1};
    BasicTEX::WriteMOT(dir / "a.MOT", 2, 2, pixels);
    const auto info = RunTool(Converter + " info " + (dir / "a.MOT"));
    ASSERT_EQ(info.exitCode, 0) << info.output;
    EXPECT_NE(info.output.find("2 x 2"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("max 255"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("25.00%"), std::string::npos) << info.output;

    const auto sheet = RunTool(Converter + " sheet --columns 2 --cell 32 " + (dir / "s.png") + " " +
                               (dir / "a.MOT") + " " + (dir / "a.MOT") + " " + (dir / "a.MOT"));
    ASSERT_EQ(sheet.exitCode, 0) << sheet.output;
    const image::Image png = image::ReadPng(dir / "s.png");
    EXPECT_GT(png.width, 64);
    EXPECT_GT(png.height, 64);
}
