#include "port/Options.h"

#include "app/ShowFiles.h"
#include "port/CaptureOptions.h"
#include "port/OptionValues.h"
#include "port/RenderOptions.h"

#include "platform/App.h"
#include "platform/Events.h"
#include "runtime/Text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// An option that takes one whole number in min..max.
template <typename T>
CLI::Option* AddNumber(CLI::App& app, const std::string& name, T& value, long long min, long long max,
                       const std::string& description)
{
    const auto parse = [&value, name, min, max](const std::string& text) {
        value = static_cast<T>(NumberOf(name, text, min, max));
    };
    return app.add_option_function<std::string>(name, parse, description)->type_name("N");
}

// An option that takes one of a few whole numbers.
CLI::Option* AddChoice(CLI::App& app, const std::string& name, int& value, std::initializer_list<int> choices,
                       const std::string& description)
{
    const std::vector<int> allowed(choices);
    const auto parse = [&value, name, allowed](const std::string& text) { value = ChoiceOf(name, text, allowed); };
    return app.add_option_function<std::string>(name, parse, description)->type_name("N");
}

void AddRenderOptions(CLI::App& app, RenderRequest& request)
{
    app.add_option("--render-size", request.size,
                   "Draw the show at WxH (4:3), or native: the largest 4:3 area of the screen or window "
                   "(default 640x480)")
        ->type_name("WxH|native");
    AddChoice(app, "--colour-depth", request.colourDepth, {16, 32},
              "Colour bits of the picture: 16 or 32 (default 16)");
    AddChoice(app, "--depth-bits", request.depthBits, {16, 24}, "Depth-buffer bits: 16 or 24 (default 16)");
    AddChoice(app, "--msaa", request.msaa, {0, 2, 4, 8}, "Samples a pixel, for smooth edges: 0, 2, 4 or 8 (default 0)");
    app.add_flag("--remaster", request.remaster,
                 "Sharp and smooth: --render-size native --colour-depth 32 --depth-bits 24 --msaa 4 "
                 "(each may still be given)");
}

// --capture-fps, --capture-size, --capture-quality and --force need --capture. Returns --capture.
CLI::Option* AddCaptureOptions(CLI::App& app, CaptureRequest& request)
{
    auto* capture = app.add_option("--capture", request.path,
                                   "Render the show to FILE.mp4|.mkv|.webm (needs ffmpeg) or to DIR/ as PNG "
                                   "files and music.wav, as fast as it draws; implies --headless")
                        ->type_name("FILE|DIR/");
    AddNumber(app, "--capture-fps", request.fps, 1, 1000, "Frames per second of the capture (default 60)")
        ->needs(capture);
    app.add_option("--capture-size", request.size, "Picture size of the capture, WxH (default: the render size)")
        ->type_name("WxH")
        ->needs(capture);
    app.add_option("--capture-quality", request.quality,
                   "What a video capture is for: fast to make (default), small to keep, or lossless to edit")
        ->check(CLI::IsMember({"fast", "small", "lossless"}).description(""))
        ->type_name("fast|small|lossless")
        ->needs(capture);
    app.add_flag("--force", request.force, "Let --capture replace an existing file or capture")->needs(capture);
    return capture;
}

// The frame number before a separator: a presented frame of the show.
int FrameOf(const std::string& option, const std::string& text)
{
    return static_cast<int>(NumberOf(option, text, 1, ShowLength));
}

// "N=FILE.png": presented frame N (from 1) to a PNG file.
void ParseSnapshot(const std::string& text, ShowOptions& options)
{
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq + 1 == text.size())
        throw UsageError("--snapshot", "expected N=FILE.png, got '" + text + "'");
    const int frame = FrameOf("--snapshot", text.substr(0, eq));
    const std::string path = text.substr(eq + 1);
    if (options.snapshots.contains(frame))
        throw UsageError("--snapshot", "frame " + std::to_string(frame) + " is given twice");
    const auto same = fs::absolute(path).lexically_normal();
    for (const auto& [other, otherPath] : options.snapshots)
        if (fs::absolute(otherPath).lexically_normal() == same)
            throw UsageError("--snapshot", "frames " + std::to_string(other) + " and " + std::to_string(frame) +
                                               " both go to '" + path + "'");
    CheckOutputPath("--snapshot", path);
    options.snapshots[frame] = path;
}

// "FRAME:KEY" or "FRAME+TICK:KEY" (the TICK-th refresh of a pause after
// frame FRAME), KEY an SDL key name with optional Shift+/Ctrl+/Alt+ prefixes.
void ParseKey(const std::string& text, ShowOptions& options)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos) throw UsageError("--key", "expected FRAME:KEY, got '" + text + "'");
    ScriptedKey key;
    const std::string when = text.substr(0, colon);
    const auto plus = when.find('+');
    key.frame = FrameOf("--key", when.substr(0, plus));
    if (plus != std::string::npos) key.tick = static_cast<int>(NumberOf("--key", when.substr(plus + 1), 1, 1000000));
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
        if (!platform::IsKnownKeyName(joined)) throw UsageError("--key", "unknown key name '" + name + "'");
        name = joined;
    }
    key.key = name;
    options.keys.push_back(key);
}

// A snapshot or a key at a frame the run never presents would be lost
// without a word.
void CheckReachable(const ShowOptions& options)
{
    if (options.start > 1) {
        const auto before = " comes before --start " + std::to_string(options.start) + ", where the run begins";
        if (!options.snapshots.empty() && options.snapshots.begin()->first < options.start)
            throw UsageError("--snapshot", "frame " + std::to_string(options.snapshots.begin()->first) + before);
        if (options.frames > 0 && options.start > options.frames)
            throw UsageError("--start", "frame " + std::to_string(options.start) + " is past --frames " +
                                            std::to_string(options.frames));
    }
    if (options.frames == 0) return;
    const auto ends = " is never presented: the run ends after --frames " + std::to_string(options.frames);
    if (!options.snapshots.empty() && options.snapshots.rbegin()->first > options.frames)
        throw UsageError("--snapshot", "frame " + std::to_string(options.snapshots.rbegin()->first) + ends);
    for (const ScriptedKey& key : options.keys)
        if (key.frame > options.frames) throw UsageError("--key", "frame " + std::to_string(key.frame) + ends);
}

// Options given together of which the run would drop one without a word:
// each pair is refused, saying why.
struct Given {
    bool headless, window, fps, display, volume;
};

void CheckCombinations(const ShowOptions& options, const CaptureRequest& capture, const Given& given)
{
    // A capture's sound track plays straight through from its first frame.
    if (!capture.path.empty())
        for (const ScriptedKey& key : options.keys)
            if (platform::PlayerKeyNamed(key.key) != nullptr)
                throw UsageError("--key", "'" + key.key +
                                              "' pauses or seeks, which a capture does not: it records the show "
                                              "straight through");
    if (options.benchmark && !capture.path.empty())
        throw UsageError("--capture", "not with --benchmark, which times the show as it plays; capture it in a run "
                                      "of its own");
    if (!options.benchmarkJson.empty() && !options.benchmark && capture.path.empty())
        throw UsageError("--benchmark-json", "only with --benchmark or --capture, whose figures it writes");
    const char* const unwindowed = given.headless          ? "--headless, which shows no window"
                                   : !capture.path.empty() ? "--capture, which draws off-screen (headless)"
                                   : options.benchmark     ? "--benchmark, which times the show headless"
                                                           : nullptr;
    if (unwindowed != nullptr) {
        if (given.window) throw UsageError("--window", std::string("not with ") + unwindowed);
        if (given.display) throw UsageError("--display", std::string("not with ") + unwindowed);
        if (options.video.modeSwitch) throw UsageError("--mode-switch", std::string("not with ") + unwindowed);
    }
    if (given.volume && (options.noMusic || options.benchmark))
        throw UsageError("--volume",
                         options.noMusic ? "not with --no-music" : "not with --benchmark, which plays no music");
    if (given.fps && !capture.path.empty())
        throw UsageError("--fps", "not with --capture, which draws as fast as it can; the video's frame rate is "
                                  "--capture-fps (default 60)");
    if (given.fps && options.benchmark)
        throw UsageError("--fps", "not with --benchmark, which times the show as fast as it draws (--fps 0)");
}

// Two outputs to one file: the one written last would replace the other.
// Compared as the snapshots are among themselves (ParseSnapshot has refused
// two snapshots to one file already).
void CheckOutputsDiffer(const ShowOptions& options, const CaptureRequest& capture)
{
    std::vector<std::pair<std::string, std::string>> outputs; // the option that writes it, the file
    if (!options.stateLogPath.empty()) outputs.emplace_back("--state-log", options.stateLogPath);
    for (const auto& [frame, path] : options.snapshots)
        outputs.emplace_back("--snapshot " + std::to_string(frame), path);
    if (!options.benchmarkJson.empty()) outputs.emplace_back("--benchmark-json", options.benchmarkJson);
    if (!capture.path.empty() && capture.path.back() != '/') outputs.emplace_back("--capture", capture.path);
    for (std::size_t i = 0; i < outputs.size(); ++i)
        for (std::size_t j = i + 1; j < outputs.size(); ++j)
            if (fs::absolute(outputs[i].second).lexically_normal() ==
                fs::absolute(outputs[j].second).lexically_normal())
                throw UsageError(outputs[i].first,
                                 "'" + outputs[i].second + "' is also the file of " + outputs[j].first);
}

} // namespace

ParseResult ParseArguments(const std::vector<std::string>& args, ShowOptions& options)
{
    CLI::App app{"citadel: a real-time 3D show with tracker music.\n"
                 "With no options it covers the desktop and plays the whole show once.",
                 "citadel"};
    app.set_version_flag("--version", std::string("citadel ") + CITADEL_VERSION);
    app.footer("Keys while the show plays:\n"
               "  Up/Down, Left/Right, Shift+Left/Right, Page Up/Down, E/R  steer the camera\n"
               "  Escape  end the show          Alt+Enter  window or full screen   F12  save the picture\n"
               "  Space   pause and play on     . and ,    one frame on/back while paused\n"
               "  [ and ] five seconds back/on");

    std::string window;
    std::vector<std::string> snapshots, keys;
    std::string scale = "linear";
    int fps = -1;
    std::uint32_t seed = 0;
    RenderRequest render;
    CaptureRequest capture;

    auto* headlessOption = app.add_flag("--headless", options.video.headless,
                                        "Run without a display (off-screen rendering); implies --fps 0");
    auto* windowOption = app.add_option("--window", window,
                                        "Play in a resizable window of WxH (default 1280x960, or the largest 4:3 "
                                        "size that fits the screen)")
                             ->expected(0, 1)
                             ->type_name("[WxH]");
    auto* displayOption =
        AddNumber(app, "--display", options.video.display, 0, 63, "Monitor to play on (0 is the first)");
    app.add_option("--scale", scale, "Scaling filter: linear, nearest or integer")
        ->check(CLI::IsMember({"linear", "nearest", "integer"}).description(""))
        ->type_name("linear|nearest|integer");
    app.add_flag("--mode-switch", options.video.modeSwitch,
                 "Really switch the monitor to 640x480 at 16 bits while the show plays");
    auto* fpsOption =
        AddNumber(app, "--fps", fps, 0, 1000, "Frames per second at most; 0 draws as fast as possible (default 60)");
    AddNumber(app, "--frames", options.frames, 1, 1000000, "End the show after N frames");
    AddNumber(app, "--start", options.start, 1, ShowLength,
              "Begin at frame N (1 to " + std::to_string(ShowLength) +
                  "), the same picture and state as played to from the start (--benchmark plays from 1)");
    auto* seedOption =
        AddNumber(app, "--seed", seed, 0, 4294967295LL, "Seed the random generator (default: the time of day)");
    app.add_option("--data", options.dataFolder, "Read the images and music from DIR instead of the program folder")
        ->check(CLI::Validator(CLI::ExistingDirectory).description(""))
        ->type_name("DIR");
    auto* stateLogOption = app.add_option("--state-log", options.stateLogPath,
                                          "Write the camera and show state of every frame to a CSV file")
                               ->type_name("FILE");
    app.add_option("--snapshot", snapshots, "Save presented frame N as a PNG at the render size (repeatable)")
        ->type_name("N=FILE.png");
    AddRenderOptions(app, render);
    std::string gl = "compat";
    auto* glOption = app.add_option("--gl", gl,
                                    "What draws the show's OpenGL 1.1: compat, the driver's own fixed function "
                                    "(default), or es, our renderer on OpenGL ES 3.0")
                         ->check(CLI::IsMember({"compat", "es"}));
    app.add_flag("--exact", options.video.exact,
                 "Draw the translucent layers as Mesa's software renderer rounds them, to the bit, with our "
                 "renderer (implies --gl es; the page's default blends as the browser does)");
    auto* captureOption = AddCaptureOptions(app, capture);
    app.add_option("--key", keys,
                   "Press KEY before the events of frame FRAME (e.g. 10:Shift+Left; repeatable); FRAME+N: at "
                   "the Nth refresh of a pause after FRAME")
        ->type_name("FRAME[+N]:KEY");
    app.add_flag("--no-music", options.noMusic, "Play without music");
    auto* volumeOption = AddNumber(app, "--volume", options.volume, 0, 100, "Music volume, 0 to 100 (default 100)");
    app.add_flag("--benchmark", options.benchmark,
                 "Time the whole show (headless, --fps 0, no music) and print the figures");
    auto* benchmarkJsonOption = app.add_option("--benchmark-json", options.benchmarkJson,
                                               "With --benchmark or --capture: also write the figures to FILE")
                                    ->type_name("FILE");
    AddNumber(app, "--key-storm", options.keyStormSeed, 0, 1 << 30,
              "Press random show keys every frame, from seed N (Escape excepted)");

    try {
        std::vector<std::string> line = {"citadel"};
        line.insert(line.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : line) argv.push_back(arg.data());
        app.parse(static_cast<int>(argv.size()), argv.data());
        if (windowOption->count() > 0) {
            options.video.windowed = true;
            if (!window.empty() &&
                !Runtime::ParseSize(window, 16384, options.video.windowWidth, options.video.windowHeight))
                throw UsageError("--window", "expected WxH, got '" + window + "'");
        }
        // An empty name would otherwise mean "none" without a word.
        if (stateLogOption->count() > 0 && options.stateLogPath.empty())
            throw UsageError("--state-log", "no file named");
        if (benchmarkJsonOption->count() > 0 && options.benchmarkJson.empty())
            throw UsageError("--benchmark-json", "no file named");
        if (captureOption->count() > 0 && capture.path.empty())
            throw UsageError("--capture", "no file or folder named");
        for (const auto& s : snapshots) ParseSnapshot(s, options);
        for (const auto& k : keys) ParseKey(k, options);
        CheckReachable(options);
        CheckCombinations(options, capture,
                          {.headless = headlessOption->count() > 0,
                           .window = windowOption->count() > 0,
                           .fps = fpsOption->count() > 0,
                           .display = displayOption->count() > 0,
                           .volume = volumeOption->count() > 0});
        CheckOutputsDiffer(options, capture);
        if (!options.stateLogPath.empty()) CheckOutputPath("--state-log", options.stateLogPath);
        if (!options.benchmarkJson.empty()) CheckOutputPath("--benchmark-json", options.benchmarkJson);
        ApplyRenderOptions(render, options.video);
        if (options.video.exact && gl == "compat" && glOption->count() > 0)
            throw UsageError("--exact", "applies to our renderer (--gl es); the driver's fixed function rounds as "
                                        "the driver does");
        options.video.gl = gl == "es" || options.video.exact ? platform::GlApi::Es : platform::GlApi::Compat;
        options.glChosen = glOption->count() > 0 || options.video.exact;
        ApplyCaptureOptions(capture, options);
    } catch (const CLI::CallForHelp&) {
        return {0, app.help()};
    } catch (const CLI::CallForVersion&) {
        return {0, app.version() + "\n"};
    } catch (const CLI::ParseError& e) {
        return {2, e.what()};
    } catch (const UsageError& e) {
        return {2, e.what()};
    }

    options.video.filter = scale == "nearest"   ? platform::ScaleFilter::Nearest
                           : scale == "integer" ? platform::ScaleFilter::Integer
                                                : platform::ScaleFilter::Linear;
    options.video.fps = fps >= 0 ? fps : (options.video.headless ? 0 : 60);
    if (!options.capture.path.empty()) options.video.fps = 0; // one video frame per show frame, unpaced
    if (options.benchmark) {
        options.start = 1;
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
    return {};
}

int ParseOptions(int argc, char** argv, ShowOptions& options)
{
    const ParseResult result = ParseArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc), options);
    if (result.status == 2)
        std::cerr << "citadel: " << result.text << "\nUsage: citadel [OPTIONS]   (citadel --help lists them)\n";
    else
        std::cout << result.text;
    return result.status;
}
