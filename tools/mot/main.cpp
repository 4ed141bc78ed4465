// citadel-mot: converts the show's ".MOT" images to and from PNG, prints
// their statistics and lays several out on a contact sheet.
#include "Sheet.h"
#include "image/Png.h"
#include "tex/MotFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

void WarnIfNotPowerOfTwo(const std::string& name, int width, int height)
{
    if (!mot::IsPowerOfTwo(width) || !mot::IsPowerOfTwo(height))
        std::fprintf(stderr,
                     "warning: %s is %dx%d; sizes that are not powers of two may show as "
                     "white or not at all on OpenGL 1.1 drivers\n",
                     name.c_str(), width, height);
}

mot::MotImage LoadMotReporting(const std::string& path)
{
    mot::MotRead read = mot::ReadMotFile(path);
    if (read.missingBytes != 0)
        std::fprintf(stderr, "warning: %s is %zu bytes short; the show reads them as 0\n", path.c_str(),
                     read.missingBytes);
    return std::move(read.image);
}

void ToMot(const std::string& in, const std::string& out)
{
    const image::Image png = image::ReadPng(in);
    if (png.width > mot::MaxSize || png.height > mot::MaxSize)
        throw std::runtime_error(in + ": " + std::to_string(png.width) + "x" + std::to_string(png.height) +
                                 " is larger than the show accepts (" + std::to_string(mot::MaxSize) + " per side)");
    mot::MotImage result;
    result.width = png.width;
    result.height = png.height;
    result.rgb.resize(static_cast<std::size_t>(png.width) * png.height * 3);
    const std::size_t count = static_cast<std::size_t>(png.width) * png.height;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* src = &png.pixels[k * png.channels];
        // Alpha is composited over black: fully transparent parts become the
        // pure black that the show's alpha images leave transparent.
        const unsigned alpha = png.channels == 4 ? src[3] : 255;
        for (int c = 0; c < 3; ++c) result.rgb[k * 3 + c] = static_cast<std::uint8_t>((src[c] * alpha + 127) / 255);
    }
    if (png.channels == 4) std::fprintf(stderr, "note: %s has alpha; it was composited over black\n", in.c_str());
    WarnIfNotPowerOfTwo(in, png.width, png.height);
    mot::SaveMot(out, result);
}

void ToPng(const std::string& in, const std::string& out)
{
    const mot::MotImage image = LoadMotReporting(in);
    WarnIfNotPowerOfTwo(in, image.width, image.height);
    image::WritePng(out, image.width, image.height, 3, image.rgb.data());
}

void PrintInfo(const std::string& path)
{
    const mot::MotImage image = LoadMotReporting(path);
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    int low[3] = {255, 255, 255};
    int high[3] = {0, 0, 0};
    double sum[3] = {0, 0, 0};
    std::size_t black = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* p = &image.rgb[k * 3];
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min<int>(low[c], p[c]);
            high[c] = std::max<int>(high[c], p[c]);
            sum[c] += p[c];
        }
        black += (p[0] | p[1] | p[2]) == 0 ? 1 : 0;
    }
    std::printf("%s\n  size     %d x %d%s\n", path.c_str(), image.width, image.height,
                mot::IsPowerOfTwo(image.width) && mot::IsPowerOfTwo(image.height) ? "" : "  (not a power of two)");
    const char* names[3] = {"red", "green", "blue"};
    for (int c = 0; c < 3; ++c)
        std::printf("  %-8s min %3d  max %3d  mean %6.2f\n", names[c], low[c], high[c],
                    sum[c] / static_cast<double>(count));
    std::printf("  black    %.2f%% of pixels are exactly 0,0,0 (transparent in alpha slots)\n",
                100.0 * static_cast<double>(black) / static_cast<double>(count));
}

void WriteSheet(const std::string& out, const std::vector<std::string>& inputs, int columns, int cell)
{
    std::vector<mot::SheetEntry> entries;
    for (const std::string& path : inputs)
        entries.push_back({std::filesystem::path(path).filename().string(), LoadMotReporting(path)});
    const mot::SheetImage sheet = mot::BuildSheet(entries, columns, cell);
    image::WritePng(out, sheet.width, sheet.height, 3, sheet.rgb.data());
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{"citadel-mot: convert the show's .MOT images to and from PNG.\n"
                 "A .MOT file holds two float32 sizes and raw RGB bytes, first row first.\n"
                 "Images in alpha slots (Tex2, Text0-2, Tittle, Dist0, LightMap) are\n"
                 "transparent exactly where a pixel is 0,0,0."};
    app.require_subcommand(1);

    std::string in, out;
    auto* toMot = app.add_subcommand("to-mot", "PNG to .MOT. An RGBA PNG becomes RGB: its alpha is "
                                               "composited over black.");
    toMot->add_option("IN.png", in)->required()->check(CLI::ExistingFile);
    toMot->add_option("OUT.MOT", out)->required();

    auto* toPng = app.add_subcommand("to-png", ".MOT to an RGB PNG.");
    toPng->add_option("IN.MOT", in)->required();
    toPng->add_option("OUT.png", out)->required();

    auto* info = app.add_subcommand("info", "Size, per-channel min/max/mean and share of exact black.");
    info->add_option("FILE.MOT", in)->required();

    std::vector<std::string> inputs;
    int columns = 4;
    int cell = 192;
    auto* sheet = app.add_subcommand("sheet", "Contact sheet PNG of several .MOT files.");
    sheet->add_option("OUT.png", out)->required();
    sheet->add_option("FILE.MOT", inputs)->required();
    sheet->add_option("--columns", columns, "images per row")->check(CLI::Range(1, 64));
    sheet->add_option("--cell", cell, "cell size in pixels")->check(CLI::Range(16, 1024));

    CLI11_PARSE(app, argc, argv);
    try {
        if (*toMot)
            ToMot(in, out);
        else if (*toPng)
            ToPng(in, out);
        else if (*info)
            PrintInfo(in);
        else
            WriteSheet(out, inputs, columns, cell);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "citadel-mot: %s\n", error.what());
        return 1;
    }
    return 0;
}
