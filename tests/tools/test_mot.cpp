// The .MOT format as the tools write it and the show reads it, and the
// citadel-mot converter run as a user would.
#include "ToolRun.h"
#include "image/Png.h"
#include "tex/BasicTEX.h"
#include "tex/MotFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include <sys/stat.h>

using tooltest::RunTool;
using tooltest::TempDir;

namespace {

const std::string Converter = std::string(CITADEL_BIN_DIR) + "/citadel-mot";

std::vector<std::uint8_t> Pattern(std::size_t bytes, unsigned seed)
{
    std::vector<std::uint8_t> data(bytes);
    for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<std::uint8_t>(i * 131 + seed * 17 + (i >> 5) * 7);
    return data;
}

void WriteHeader(const std::string& path, float width, float height, std::size_t pixelBytes)
{
    const float size[2] = {width, height}; // the test machines are little-endian
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(size), 8) << std::string(pixelBytes, 'x');
}

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string BigEndian(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A PNG file's start: the signature and a valid header claiming width x
// height (8-bit RGB), then a few bytes of compressed pixels.
void WritePngHeader(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    const std::string header = "IHDR" + BigEndian(width) + BigEndian(height) + std::string("\x08\x02\0\0\0", 5);
    const std::string data = "IDAT" + std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    std::ofstream(path, std::ios::binary)
        << "\x89PNG\r\n\x1a\n"
        << BigEndian(13) << header << BigEndian(Crc32(header)) << BigEndian(9) << data << BigEndian(Crc32(data));
}

} // namespace

TEST(MotFormat, WriterAndTheShowsReaderRoundTripInTheFilesLayout)
{
    TempDir dir("mot-roundtrip");
    const std::vector<std::uint8_t> pixels = Pattern(5 * 3 * 3, 1);
    mot::SaveMot(dir / "a.MOT", {5, 3, pixels});
    BasicTEX::ReadMOT(dir / "a.MOT");
    EXPECT_EQ(BasicTEX::TexWidth * 10 + BasicTEX::TexHeight, 53.0f);
    EXPECT_EQ(BasicTEX::TexData, pixels);
    // Float width, float height, then the pixels: 8 + 45 bytes.
    EXPECT_EQ(std::filesystem::file_size(dir / "a.MOT"), 53u);
    float size[2];
    std::ifstream(dir / "a.MOT", std::ios::binary).read(reinterpret_cast<char*>(size), 8);
    EXPECT_TRUE(size[0] == 5.0f && size[1] == 3.0f);
}

TEST(MotConverter, RefusesWhatTheShowRefusesAndReadsShortFilesAsItDoes)
{
    TempDir dir("mot-refuse");
    for (const float bad : {0.0f, 2.5f, 8193.0f, -4.0f, std::nanf("")}) {
        WriteHeader(dir / "bad.MOT", bad, 4, 48);
        const auto run = RunTool(Converter + " to-png " + (dir / "bad.MOT") + " " + (dir / "x.png"));
        EXPECT_TRUE(run.exitCode != 0 && run.output.find("whole number") != std::string::npos) << bad << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
    const auto missing = RunTool(Converter + " info " + (dir / "none.MOT"));
    EXPECT_TRUE(missing.exitCode != 0 && missing.output.find("none.MOT") != std::string::npos) << missing.output;
    // Command-line mistakes are usage errors that name what was wrong.
    for (const auto& [args, names] : std::vector<std::pair<std::string, std::string>>{
             {" frobnicate", "unknown command 'frobnicate'"},
             {" to-png", "IN.MOT is required"},
             {" sheet --columns 4x s.png a.MOT", "--columns: expected a whole number from 1 to 64, got '4x'"}}) {
        const auto run = RunTool(Converter + args);
        EXPECT_TRUE(run.exitCode == 2 && run.output.find("citadel-mot: " + names) != std::string::npos &&
                    run.output.find("Usage: citadel-mot") != std::string::npos)
            << args << ": " << run.exitCode << " " << run.output;
    }

    WriteHeader(dir / "short.MOT", 4, 4, 30); // 18 of 48 pixel bytes missing
    const auto run = RunTool(Converter + " to-png " + (dir / "short.MOT") + " " + (dir / "s.png"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("18 bytes short"), std::string::npos) << run.output;
    BasicTEX::ReadMOT(dir / "short.MOT");
    EXPECT_EQ(image::ReadPng(dir / "s.png").pixels, BasicTEX::TexData);
}

TEST(MotConverter, PngToMotToPngIsLosslessForRgbRgbaIsCompositedOverBlackAndInfoAndSheetWork)
{
    TempDir dir("mot-convert");
    const std::vector<std::uint8_t> pixels = Pattern(37 * 19 * 3, 5);
    image::WritePng(dir / "in.png", 37, 19, 3, pixels.data());
    const auto toMot = RunTool(Converter + " to-mot " + (dir / "in.png") + " " + (dir / "in.MOT"));
    ASSERT_EQ(toMot.exitCode, 0) << toMot.output;
    EXPECT_NE(toMot.output.find("warning"), std::string::npos) << "37x19 is not a power of two";
    ASSERT_EQ(RunTool(Converter + " to-png " + (dir / "in.MOT") + " " + (dir / "out.png")).exitCode, 0);
    const image::Image back = image::ReadPng(dir / "out.png");
    EXPECT_EQ(std::vector<int>({back.width, back.height, back.channels}), (std::vector<int>{37, 19, 3}));
    EXPECT_EQ(back.pixels, pixels);

    const std::uint8_t rgba[] = {200, 100, 50, 0, 200, 100, 50, 255, 200, 100, 50, 128, 0, 0, 0, 255};
    image::WritePng(dir / "a.png", 2, 2, 4, rgba);
    ASSERT_EQ(RunTool(Converter + " to-mot " + (dir / "a.png") + " " + (dir / "a.MOT")).exitCode, 0);
    BasicTEX::ReadMOT(dir / "a.MOT");
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{0, 0, 0, 200, 100, 50, 100, 50, 25, 0, 0, 0}));

    const std::uint8_t four[] = {0, 0, 0, 10, 20, 30, 255, 0, 0, 1, 1, 1}; // one pixel in four exactly black
    mot::SaveMot(dir / "a.MOT", {2, 2, {four, four + 12}});
    const auto info = RunTool(Converter + " info " + (dir / "a.MOT"));
    for (const char* text : {"2 x 2", "max 255", "25.00%"})
        EXPECT_NE(info.output.find(text), std::string::npos) << info.output;
    const std::string a = " " + (dir / "a.MOT");
    ASSERT_EQ(RunTool(Converter + " sheet --columns 2 --cell 32 " + (dir / "s.png") + a + a + a).exitCode, 0);
    const image::Image png = image::ReadPng(dir / "s.png");
    EXPECT_TRUE(png.width > 64 && png.height > 64) << png.width << "x" << png.height;
}

// Sizes are taken from a header only after they are checked, and nothing
// is read from a pipe: every case here is refused at once, in 400 MB of
// address space (a 69-byte PNG claiming 32768x32767 used to take 4.2 GB
// and 16 s; a sheet over 256 tiny files, 1.76 GB).
TEST(MotConverter, SizesFromHeadersAreCheckedBeforeMemoryIsTaken)
{
    TempDir dir("mot-sizes");
    WritePngHeader(dir / "claims-32768.png", 32768, 32767);
    WritePngHeader(dir / "claims-12000.png", 12000, 12000);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    WriteHeader(dir / "tiny.MOT", 4, 4, 48);
    const std::uint8_t pixel[3] = {1, 2, 3};
    image::WritePng(dir / "tiny.png", 1, 1, 3, pixel);
    std::string many;
    for (int i = 0; i < 256; ++i) many += " " + (dir / "tiny.MOT");
    for (const auto& [args, says] : std::vector<std::pair<std::string, std::string>>{
             {"to-mot " + (dir / "claims-32768.png"), "it is 32768x32767, larger than 8192 pixels a side"},
             {"to-mot " + (dir / "claims-12000.png"), "it is 12000x12000, larger than 8192 pixels a side"},
             {"to-mot " + (dir / "fifo"), "it is not a regular file"},
             {"to-png " + (dir / "fifo"), "is not a file"},
             {"to-mot " + (dir / "tiny.MOT"), "it is not a PNG file"},
             {"to-png " + (dir / "tiny.png"), "is a PNG file, not a .MOT image"},
             {"sheet --columns 64 --cell 1024 " + (dir / "s.png") + many, "pixels is larger than 32 million"},
         }) {
        const auto run = RunTool("ulimit -v 400000; timeout 20 " + Converter + " " + args + " " + (dir / "out"));
        EXPECT_TRUE(run.exitCode == 1 && run.output.find(says) != std::string::npos)
            << args.substr(0, 60) << ": " << run.exitCode << " " << run.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out") || std::filesystem::exists(dir / "s.png"));
}
