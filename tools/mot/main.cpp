// citadel-mot: converts the show's ".MOT" images to and from PNG, prints
// their statistics and lays several out on a contact sheet.
#include "Sheet.h"
#include "files/Files.h"
#include "image/Png.h"
#include "runtime/Text.h"
#include "tex/MotFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace {

// Ctrl+C, SIGTERM and SIGHUP as the show takes them: the program ends with
// 128 plus the signal and one line saying what was not written, and leaves
// no temporary file. Until the output is written nothing of ours is on disk,
// so the handler may end the program at once; while it is written (under a
// temporary name, then renamed) the signals wait, and a signal that came
// meanwhile ends the program once the file has its name.
std::string unwrittenLine = "citadel-mot: interrupted\n";
const std::string writtenLine = "citadel-mot: interrupted\n";
volatile std::sig_atomic_t outputWritten = 0;

void OnInterrupt(int signal)
{
    // Both lines are made before the handler is set and never change.
    const std::string& line = outputWritten != 0 ? writtenLine : unwrittenLine;
    if (write(STDERR_FILENO, line.data(), line.size()) < 0) {
        // Nowhere to say it: the status still does.
    }
    _exit(128 + signal);
}

void CatchInterrupts(const std::string& output)
{
    if (!output.empty()) unwrittenLine = "citadel-mot: interrupted; '" + output + "' was not written\n";
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// The signals held back for as long as it lives.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
        sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t before_;
};

// The output's bytes are made while a signal still ends the program at
// once; then they are written with the signals held back.
template <typename Encode>
void Save(const std::string& path, Encode&& encode)
{
    std::vector<std::uint8_t> bytes;
    try {
        bytes = encode();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("cannot write '" + path + "': " + e.what());
    }
    const SignalsHeld held;
    files::WriteFile(path, bytes.data(), bytes.size());
    outputWritten = 1;
}

void WarnIfNotPowerOfTwo(const std::string& name, int width, int height)
{
    if (!mot::IsPowerOfTwo(width) || !mot::IsPowerOfTwo(height))
        std::fprintf(stderr,
                     "citadel-mot: warning: %s is %dx%d; sizes that are not powers of two may show as "
                     "white or not at all on OpenGL 1.1 drivers\n",
                     name.c_str(), width, height);
}

mot::MotImage LoadMotReporting(const std::string& path)
{
    mot::MotRead read = mot::ReadMotFile(path);
    if (read.missingBytes != 0)
        std::fprintf(stderr, "citadel-mot: warning: %s is %zu bytes short; the show reads them as 0\n", path.c_str(),
                     read.missingBytes);
    return std::move(read.image);
}

void ToMot(const std::string& in, const std::string& out)
{
    // The show's limit, checked in the file's header before the pixels are read.
    const image::Image png = image::ReadPng(in, mot::MaxSize);
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
    if (png.channels == 4)
        std::fprintf(stderr, "citadel-mot: note: %s has alpha; it was composited over black\n", in.c_str());
    WarnIfNotPowerOfTwo(in, png.width, png.height);
    Save(out, [&] { return mot::EncodeMot(result); });
}

void ToPng(const std::string& in, const std::string& out)
{
    const mot::MotImage image = LoadMotReporting(in);
    WarnIfNotPowerOfTwo(in, image.width, image.height);
    Save(out, [&] { return image::EncodePng(image.width, image.height, 3, image.rgb.data()); });
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
    const mot::SheetImage sheet = mot::BuildSheet(inputs.size(), columns, cell, [&](std::size_t i) {
        return std::make_pair(std::filesystem::path(inputs[i]).filename().string(), LoadMotReporting(inputs[i]));
    });
    Save(out, [&] { return image::EncodePng(sheet.width, sheet.height, 3, sheet.rgb.data()); });
}

// The commands and what each takes, for the usage line of a mistake.
const std::vector<std::pair<std::string, std::string>> Commands = {
    {"to-mot", "to-mot IN.png OUT.MOT"},
    {"to-png", "to-png IN.MOT OUT.png"},
    {"info", "info FILE.MOT"},
    {"sheet", "sheet [--columns N] [--cell N] OUT.png FILE.MOT..."},
};

// A mistake on the command line: what was wrong and how the command is
// typed, with exit status 2 as the show's own usage errors have.
int UsageError(const std::string& why, const std::string& command)
{
    std::fprintf(stderr, "citadel-mot: %s\n", why.c_str());
    const auto known =
        std::find_if(Commands.begin(), Commands.end(), [&](const auto& c) { return c.first == command; });
    if (known != Commands.end()) {
        std::fprintf(stderr, "Usage: citadel-mot %s\n", known->second.c_str());
    } else {
        for (const auto& [name, usage] : Commands)
            std::fprintf(stderr, "%s citadel-mot %s\n", name == Commands.begin()->first ? "Usage:" : "      ",
                         usage.c_str());
    }
    std::fprintf(stderr, "(citadel-mot --help says more)\n");
    return 2;
}

// A whole number in min..max for an option of a command.
void ParseCount(const std::string& option, const std::string& text, int min, int max, int& value)
{
    long long parsed = 0;
    if (!Runtime::ParseInt(text, min, max, parsed))
        throw CLI::ValidationError(option, "expected a whole number from " + std::to_string(min) + " to " +
                                               std::to_string(max) + ", got '" + text + "'");
    value = static_cast<int>(parsed);
}

// 0, or 1 with a message where what was printed (or written to "-") did
// not arrive.
int CheckedStandardOutput()
{
    const std::string why = files::StandardOutputProblem();
    if (why.empty()) return 0;
    std::fprintf(stderr, "citadel-mot: cannot write to standard output: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    files::TakeClosedStandardDescriptors();
    CLI::App app{"citadel-mot: convert the show's .MOT images to and from PNG.\n"
                 "A .MOT file holds two float32 sizes and raw RGB bytes, first row first.\n"
                 "Images in alpha slots (Tex2, Text0-2, Tittle, Dist0, LightMap) are\n"
                 "transparent exactly where a pixel is 0,0,0.",
                 "citadel-mot"};
    app.require_subcommand(1);

    std::string in, out;
    auto* toMot = app.add_subcommand("to-mot", "PNG to .MOT. An RGBA PNG becomes RGB: its alpha is "
                                               "composited over black.");
    toMot->add_option("IN.png", in)->required()->type_name("");
    toMot->add_option("OUT.MOT", out)->required()->type_name("");

    auto* toPng = app.add_subcommand("to-png", ".MOT to an RGB PNG.");
    toPng->add_option("IN.MOT", in)->required()->type_name("");
    toPng->add_option("OUT.png", out)->required()->type_name("");

    auto* info = app.add_subcommand("info", "Size, per-channel min/max/mean and share of exact black.");
    info->add_option("FILE.MOT", in)->required()->type_name("");

    std::vector<std::string> inputs;
    int columns = 4;
    int cell = 192;
    auto* sheet = app.add_subcommand("sheet", "Contact sheet PNG of several .MOT files.");
    sheet->add_option("OUT.png", out)->required()->type_name("");
    sheet->add_option("FILE.MOT", inputs)->required()->type_name("");
    sheet
        ->add_option_function<std::string>(
            "--columns", [&](const std::string& text) { ParseCount("--columns", text, 1, 64, columns); },
            "images per row (default 4)")
        ->type_name("N");
    sheet
        ->add_option_function<std::string>(
            "--cell", [&](const std::string& text) { ParseCount("--cell", text, 16, 1024, cell); },
            "cell size in pixels (default 192)")
        ->type_name("N");

    // CLI11 would only say that a command is required: name the word it
    // did not know.
    const std::string command = argc > 1 ? argv[1] : "";
    if (command.empty()) return UsageError("no command given", command);
    if (command[0] != '-' &&
        std::none_of(Commands.begin(), Commands.end(), [&](const auto& c) { return c.first == command; }))
        return UsageError("unknown command '" + command + "'", command);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::printf("%s", app.help().c_str());
        return CheckedStandardOutput();
    } catch (const CLI::ParseError& error) {
        return UsageError(error.what(), command);
    }
    CatchInterrupts(*info ? std::string() : out);
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
    return CheckedStandardOutput();
}
