// The ".MOT" reader: the layout, replacement of the previous image, and what
// it does with files the show's own pack never holds.
#include "tex/BasicTEX.h"
#include "tex/MotFile.h"

#include "common/TempFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name)
{
    static const std::string folder = testfolders::Fresh("reader", "files");
    return folder + "/" + name;
}

// Writes two float sizes and then exactly the bytes given.
std::string WriteRaw(const std::string& name, float w, float h, const std::vector<std::uint8_t>& bytes)
{
    const std::string path = TempPath(name);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&w), 4);
    out.write(reinterpret_cast<const char*>(&h), 4);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ErrorOf(const std::string& path)
{
    try {
        BasicTEX::ReadMOT(path);
    } catch (const Runtime::RuntimeError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(ReadMOT, ReadsTheSizesAndPixelsInFileOrder)
{
    const std::string path = WriteRaw("two.MOT", 2, 1, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(fs::file_size(path), 14u);
    BasicTEX::ReadMOT(path);
    EXPECT_EQ(BasicTEX::TexWidth, 2.0f);
    EXPECT_EQ(BasicTEX::TexHeight, 1.0f);
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    const std::vector<std::uint8_t> big(256 * 256 * 3, 9);
    BasicTEX::ReadMOT(WriteRaw("big.MOT", 256, 256, big));
    EXPECT_EQ(BasicTEX::TexData.size(), 196608u);
    EXPECT_EQ(BasicTEX::TexWidth, 256.0f);

    // A smaller image replaces the larger one entirely.
    BasicTEX::ReadMOT(WriteRaw("one.MOT", 1, 1, {7, 8, 9}));
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{7, 8, 9}));
    EXPECT_EQ(BasicTEX::TexHeight, 1.0f);
}

TEST(ReadMOT, ShortFileLeavesTheMissingBytesZeroAndExtraBytesAreIgnored)
{
    BasicTEX::ReadMOT(WriteRaw("short.MOT", 2, 2, {1, 2, 3, 4}));
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
    BasicTEX::ReadMOT(WriteRaw("headeronly.MOT", 1, 1, {}));
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{0, 0, 0}));
    BasicTEX::ReadMOT(WriteRaw("long.MOT", 1, 1, {1, 2, 3, 4, 5}));
    EXPECT_EQ(BasicTEX::TexData, (std::vector<std::uint8_t>{1, 2, 3}));
}

// Memory follows what the file holds: it may lack at most MaxMissingBytes.
TEST(ReadMOT, AFileMayLackAtMostFourMebibytesOfItsPixels)
{
    const std::size_t pixelBytes = 3 * 1024 * 2048; // 6 MiB
    const std::vector<std::uint8_t> held(pixelBytes - mot::MaxMissingBytes, 5);
    BasicTEX::ReadMOT(WriteRaw("margin.MOT", 1024, 2048, held));
    ASSERT_EQ(BasicTEX::TexData.size(), pixelBytes);
    EXPECT_EQ(BasicTEX::TexData[held.size() - 1], 5);
    EXPECT_EQ(BasicTEX::TexData[held.size()], 0);

    const std::string path = WriteRaw("beyond.MOT", 1024, 2048, {held.begin(), held.end() - 1});
    EXPECT_EQ(ErrorOf(path), "'" + path +
                                 "' is far too short for its sizes 1024 x 2048: it holds 2097151 of their 6291456 "
                                 "pixel bytes, and at most 4194304 may be missing");
}

TEST(ReadMOT, AbsurdSizesAreRunTimeErrorsNamingTheFile)
{
    const float bad[][2] = {{0, 4}, {-4, 4}, {2.5f, 4}, {4, NAN}, {INFINITY, 1}, {8193, 1}, {1e9f, 1e9f}};
    int n = 0;
    for (const auto& size : bad) {
        const std::string path = WriteRaw("bad" + std::to_string(n++) + ".MOT", size[0], size[1], {1, 2, 3});
        const std::string error = ErrorOf(path);
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find("Bad image size"), std::string::npos) << error;
    }
    EXPECT_EQ(ErrorOf(WriteRaw("max.MOT", 8192, 1, {})), "");
}

TEST(ReadMOT, MissingEmptyAndFolderPathsAreRunTimeErrors)
{
    const std::string missing = TempPath("nowhere.MOT");
    EXPECT_EQ(ErrorOf(missing), "File not found: '" + missing + "'");

    const std::string empty = TempPath("empty.MOT");
    std::ofstream(empty, std::ios::binary).close();
    EXPECT_NE(ErrorOf(empty).find("is too short for an image: 0 bytes"), std::string::npos);
    std::ofstream(empty, std::ios::binary) << "abcde";
    EXPECT_NE(ErrorOf(empty).find("5 bytes"), std::string::npos);

    const std::string folder = TempPath("folder.MOT");
    fs::create_directories(folder);
    EXPECT_NE(ErrorOf(folder).find(folder), std::string::npos);
}
