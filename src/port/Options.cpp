#include "port/Options.h"

#include "port/CaptureOptions.h"
#include "port/RenderOptions.h"

#include "platform/App.h"
#include "platform/Events.h"
#include "runtime/Text.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

namespace {

// "N=FILE.png": presented frame N (from 1) to a PNG file.
void ParseSnapshot(const std::string& text, ShowOptions& options)
{
    const auto eq = text.find('=');
    int frame = 0;
    if (eq == std::string::npos || eq + 1 == text.size() ||
        std::sscanf(text.substr(0, eq).c_str(), "%d", &frame) != 1 || frame < 1)
        throw CLI::ValidationError("--snapshot", "expected N=FILE.png with N >= 1, got '" + text + "'");
    options.snapshots[frame] = text.substr(eq + 1);
}

// "FRAME:KEY", KEY an SDL key name with optional Shift+/Ctrl+/Alt+ prefixes.
void ParseKey(const std::string& text, ShowOptions& options)
{
    const auto colon = text.find(':');
    ScriptedKey key;
    if (colon == std::string::npos || std::sscanf(text.substr(0, colon).c_str(), "%d", &key.frame) != 1 ||
        key.frame < 1)
        throw CLI::ValidationError("--key", "expected FRAME:KEY with FRAME >= 1, got '" + text + "'");
    std::string name = text.substr(colon + 1);
    for (;;) {
        if (name.rfind("Shift+", 0) == 0) {
            key.shift |= platform::ShiftMask;
            name.erase(0, 6);
        } else if (name.rfind("Ctrl+", 0) == 0) {
            key.shift |= platform::CtrlMask;
            name.erase(0, 5);
        } else if (name.rfind("Alt+", 0) == 0) {
            key.shift |= platform::AltMask;
            name.erase(0, 4);
        } else {
            break;
        }
    }
    if (!platform::IsKnownKeyName(name)) {
        // "Page Up" as people write it; SDL calls it "PageUp".
        std::string joined = name;
        std::erase(joined, ' ');
        if (!platform::IsKnownKeyName(joined)) throw CLI::ValidationError("--key", "unknown key name '" + name + "'");
        name = joined;
    }
    key.key = name;
    options.keys.push_back(key);
}

} // namespace

int ParseOptions(int argc, char** argv, ShowOptions& options)
{
    CLI::App app{"citadel: a real-time 3D show with tracker music.\n"
                 "With no options it covers the desktop and plays the whole show once.",
                 "citadel"};
    app.set_version_flag("--version", std::string("citadel ") + CITADEL_VERSION);

    std::string window;
    std::vector<std::string> snapshots, keys;
    std::string scale = "linear";
    int fps = -1;
    std::uint32_t seed = 0;
    RenderRequest render;
    CaptureRequest capture;

    app.add_flag("--headless", options.video.headless, "Run without a display (off-screen rendering); implies --fps 0");
    auto* windowOption =
        app.add_option("--window", window, "Play in a resizable window of WxH (default 1280x960)")->expected(0, 1);
    app.add_option("--display", options.video.display, "Monitor to play on (0 is the first)")->check(CLI::Range(0, 63));
    app.add_option("--scale", scale, "Scaling filter: linear, nearest or integer")
        ->check(CLI::IsMember({"linear", "nearest", "integer"}));
    app.add_flag("--mode-switch", options.video.modeSwitch,
                 "Really switch the monitor to 640x480 at 16 bits while the show plays");
    app.add_option("--fps", fps, "Frames per second at most; 0 draws as fast as possible (default 60)")
        ->check(CLI::Range(0, 1000));
    app.add_option("--frames", options.frames, "End the show after N frames")->check(CLI::Range(1, 1000000));
    auto* seedOption = app.add_option("--seed", seed, "Seed the random generator (default: the time of day)");
    app.add_option("--data", options.dataFolder, "Read the images and music from DIR instead of the program folder")
        ->check(CLI::ExistingDirectory);
    app.add_option("--state-log", options.stateLogPath, "Write the camera and show state of every frame to a CSV file");
    app.add_option("--snapshot", snapshots,
                   "Save presented frame N as a PNG at the render size (N=FILE.png, repeatable)");
    AddRenderOptions(app, render);
    std::string gl = "compat";
    auto* glOption = app.add_option("--gl", gl,
                                    "What draws the show's OpenGL 1.1: compat, the driver's own fixed function "
                                    "(default), or es, our renderer on OpenGL ES 3.0")
                         ->check(CLI::IsMember({"compat", "es"}));
    AddCaptureOptions(app, capture);
    app.add_option("--key", keys, "Press KEY before the events of frame FRAME (FRAME:KEY, e.g. 10:Shift+Left)");
    app.add_flag("--no-music", options.noMusic, "Play without music");
    app.add_option("--volume", options.volume, "Music volume, 0 to 100 (default 100)")->check(CLI::Range(0, 100));
    app.add_flag("--benchmark", options.benchmark,
                 "Time the whole show (headless, --fps 0, no music) and print the figures");
    app.add_option("--benchmark-json", options.benchmarkJson, "With --benchmark: also write the figures to FILE");
    app.add_option("--key-storm", options.keyStormSeed,
                   "Press random show keys every frame, from seed N (Escape excepted)")
        ->check(CLI::Range(0, 1 << 30));

    try {
        app.parse(argc, argv);
        if (windowOption->count() > 0) {
            options.video.windowed = true;
            if (!window.empty() &&
                !Runtime::ParseSize(window, 16384, options.video.windowWidth, options.video.windowHeight))
                throw CLI::ValidationError("--window", "expected WxH, got '" + window + "'");
        }
        for (const auto& s : snapshots) ParseSnapshot(s, options);
        for (const auto& k : keys) ParseKey(k, options);
        ApplyRenderOptions(render, options.video);
        options.video.gl = gl == "es" ? platform::GlApi::Es : platform::GlApi::Compat;
        options.glChosen = glOption->count() > 0;
        ApplyCaptureOptions(capture, options);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::CallForVersion&) {
        std::cout << app.version() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "citadel: " << e.what() << "\nUsage: citadel [OPTIONS]   (citadel --help lists them)\n";
        return 2;
    }

    options.video.filter = scale == "nearest"   ? platform::ScaleFilter::Nearest
                           : scale == "integer" ? platform::ScaleFilter::Integer
                                                : platform::ScaleFilter::Linear;
    options.video.fps = fps >= 0 ? fps : (options.video.headless ? 0 : 60);
    if (!options.capture.path.empty()) options.video.fps = 0; // one video frame per show frame, unpaced
    if (options.benchmark) {
        options.video.headless = true;
        options.video.fps = 0;
        options.noMusic = true;
    }
    if (seedOption->count() > 0) options.seed = seed;
    if (options.video.headless && options.video.nativeSize) {
        // No monitor and no window worth measuring: the show's own size.
        platform::Warn("--render-size native has no display to measure with --headless; drawing at 640x480");
        options.video.nativeSize = false;
        options.video.virtualWidth = 640;
        options.video.virtualHeight = 480;
    }
    return -1;
}
