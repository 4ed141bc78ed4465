// The command line: every option, its bad values, and what a capture or
// the remaster preset implies for the rest of the show.
#include "platform/Events.h"
#include "port/Options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

struct Parsed {
    int status = 0;
    ShowOptions options;
    std::string out, err;
};

// The arguments are split at spaces; '' is an empty one.
Parsed Parse(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> args{"citadel"};
    for (std::string a; in >> a;) args.push_back(a == "''" ? "" : a);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    Parsed r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    r.status = ParseOptions(static_cast<int>(argv.size()), argv.data(), r.options);
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    return r;
}

} // namespace

TEST(Options, NoneGiveTheOriginalShowAndEachOptionLandsInItsField)
{
    auto p = Parse("");
    const auto& v = p.options.video;
    EXPECT_TRUE(p.status == -1 && !v.headless && !v.windowed && !v.modeSwitch && !p.options.noMusic &&
                !p.options.seed && v.filter == platform::ScaleFilter::Linear);
    EXPECT_EQ(std::vector<int>({v.fps, v.virtualWidth, v.colourBits, v.depthBits, v.msaa, p.options.frames}),
              (std::vector<int>{60, 640, 16, 16, 0, 0}));
    EXPECT_EQ(Parse("--headless").options.video.fps, 0);
    p = Parse("--window");
    EXPECT_TRUE(p.options.video.windowed && p.options.video.windowWidth == 0) << "sized to fit the screen";
    p = Parse("--window=800x600");
    EXPECT_TRUE(p.options.video.windowed && p.options.video.windowWidth == 800 && p.options.video.windowHeight == 600);
    EXPECT_TRUE(v.gl == platform::GlApi::Compat && !p.options.glChosen);
    p = Parse("--gl es");
    EXPECT_TRUE(p.options.video.gl == platform::GlApi::Es && p.options.glChosen);
    EXPECT_TRUE(Parse("--gl compat").options.glChosen); // the benchmark then times that path alone
    EXPECT_FALSE(v.exact);
    for (const char* line : {"--exact", "--exact --gl es"}) {
        p = Parse(line); // our renderer's option: it draws with it
        EXPECT_TRUE(p.options.video.exact && p.options.video.gl == platform::GlApi::Es && p.options.glChosen) << line;
    }

    const std::string folder = std::filesystem::temp_directory_path().string();
    const auto shown = Parse("--display 1 --mode-switch --volume 50");
    EXPECT_TRUE(shown.status == -1 && shown.options.video.display == 1 && shown.options.video.modeSwitch &&
                shown.options.volume == 50)
        << shown.err;
    p = Parse("--scale integer --headless --fps 30 --frames 10 --seed 7 --state-log s.csv --snapshot 5=a.png "
              "--key 10:Shift+Left --no-music --remaster --msaa 2 --data " +
              folder);
    const auto& o = p.options;
    EXPECT_EQ(std::vector<int>({p.status, o.video.fps, o.frames, o.video.colourBits, o.video.depthBits, o.video.msaa}),
              (std::vector<int>{-1, 30, 10, 32, 24, 2}))
        << p.err; // --msaa beats the preset
    EXPECT_TRUE(o.noMusic && o.seed == 7u && o.video.filter == platform::ScaleFilter::Integer);
    // Headless, a native size has nothing to measure: the show's own size, with a note.
    EXPECT_TRUE(!o.video.nativeSize && o.video.virtualWidth == 640 && o.video.virtualHeight == 480);
    EXPECT_NE(p.err.find("drawing at 640x480"), std::string::npos) << p.err;
    EXPECT_EQ(o.dataFolder + o.stateLogPath + o.snapshots.at(5), folder + "s.csva.png");
    ASSERT_EQ(o.keys.size(), 1u);
    EXPECT_TRUE(o.keys[0].frame == 10 && o.keys[0].key == "Left" && o.keys[0].shift == platform::ShiftMask);

    // A capture runs headless and unpaced, with its own music, at the render size.
    p = Parse("--capture show.mp4 --render-size 1280x960");
    const auto& c = p.options.capture;
    EXPECT_EQ(std::vector<int>({p.status, c.fps, c.width, c.height, p.options.video.fps}),
              (std::vector<int>{-1, 60, 1280, 960, 0}))
        << p.err;
    EXPECT_TRUE(p.options.video.headless && c.music && p.options.noMusic && !c.force);
    EXPECT_EQ(c.quality, CaptureQuality::Fast);
    EXPECT_EQ(Parse("--capture show.mkv --capture-quality lossless").options.capture.quality, CaptureQuality::Lossless);
    EXPECT_EQ(Parse("--capture show.webm --capture-quality small").options.capture.quality, CaptureQuality::Small);
    // A capture's figures go where a benchmark's would.
    p = Parse("--capture show.mp4 --benchmark-json c.json");
    EXPECT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.benchmarkJson, "c.json");

    // An existing folder needs no slash, and only a folder takes odd sizes.
    p = Parse("--capture " + folder + " --capture-fps 25 --capture-size 321x241 --force --no-music");
    EXPECT_EQ(std::vector<int>({p.status, c.fps, c.width, c.height}), (std::vector<int>{-1, 25, 321, 241})) << p.err;
    EXPECT_TRUE(c.force && !c.music);
}

TEST(Options, BadValuesAndUnknownOptionsAreUsageErrorsAndHelpListsEveryOption)
{
    // "arguments|what the message names" (by default the first argument).
    // Numbers are whole, range-checked and never wrap; a value that could
    // only be lost later (a frame the run never presents, a file with no
    // folder to go in) is refused here, before the show starts, and so is
    // an option that the run would drop without a word.
    for (const std::string line : {"--window=12by4",
                                   "--frames abc|'abc' is not a whole number",
                                   "--frames 12abc|not a whole number",
                                   "--fps 2.5|not a whole number",
                                   "--seed -1|-1 is out of range",
                                   "--seed 4294967296|out of range",
                                   "--snapshot 4294967297=a.png|out of range",
                                   "--snapshot 1x=f.png|'1x' is not a whole number",
                                   "--snapshot 3187=a.png|from 1 to 3186",
                                   "--key 4294967297:Left|out of range",
                                   "--render-size 4294967936x480|WxH",
                                   "--window=4294968576x960|WxH",
                                   "--snapshot 5=a.png --snapshot 5=b.png|frame 5 is given twice",
                                   "--snapshot 5=a.png --snapshot 6=./a.png|frames 5 and 6 both go to",
                                   "--frames 100 --snapshot 101=a.png|frame 101 is never presented",
                                   "--frames 100 --key 101:Left|frame 101 is never presented",
                                   "--benchmark-json b.json|only with --benchmark or --capture",
                                   "--capture v.mp4 --benchmark-json /no/such/folder/b.json|no folder",
                                   "--capture v.mp4 --benchmark-json v.mp4|'v.mp4' is also the file of --capture",
                                   "--capture v.mp4 --key 10:space|'space' pauses or seeks",
                                   "--snapshot 3=/no/such/folder/a.png|no folder '/no/such/folder'",
                                   "--state-log /no/such/folder/s.csv|no folder",
                                   "--benchmark --benchmark-json /no/such/folder/b.json|no folder",
                                   "--capture /no/such/folder/show.mp4|no folder",
                                   "--capture /no/such/folder/frames/|no folder '/no/such/folder'",
                                   "--display 64",
                                   "--scale cubic",
                                   "--fps 1001",
                                   "--frames 0",
                                   "--seed x",
                                   "--data /no/such/folder",
                                   "--snapshot 0=a.png",
                                   "--key 5:NoSuchKey|NoSuchKey",
                                   "--key Left",
                                   "--volume 101",
                                   "--capture show.avi|show.avi",
                                   "--capture a.mp4 --capture-size 641x480|even",
                                   "--capture a.mp4 --capture-size 1x1",
                                   "--force|--capture",
                                   "--capture-quality small|--capture",
                                   "--capture a.mp4 --capture-quality best|--capture-quality",
                                   "--capture f/ --capture-quality fast|--capture-quality: not with a folder capture",
                                   "--render-size 800x500|4:3",
                                   "--render-size 1920x1080|4:3",
                                   "--render-size big|WxH",
                                   "--render-size 40000x30000|too large",
                                   "--msaa 3|expected 0, 2, 4 or 8, got '3'",
                                   "--colour-depth 24",
                                   "--depth-bits 32",
                                   "--gl vulkan",
                                   "--exact --gl compat|--exact: applies to our renderer",
                                   "--capture ''|--capture: no file or folder named",
                                   "--state-log ''|--state-log: no file named",
                                   "--benchmark --benchmark-json ''|--benchmark-json: no file named",
                                   "--benchmark --capture v.mp4|--capture: not with --benchmark",
                                   "--state-log x.png --snapshot 3=./x.png|'x.png' is also the file of --snapshot 3",
                                   "--snapshot 3=b.json --benchmark --benchmark-json b.json|--benchmark-json",
                                   "--capture x.mp4 --fps 30|--capture-fps",
                                   "--benchmark --fps 30|--fps: not with --benchmark",
                                   "--window --headless|--window: not with --headless",
                                   "--window=800x600 --capture x.mp4|--window: not with --capture",
                                   "--benchmark --window|--window: not with --benchmark",
                                   "--headless --display 1|--display: not with --headless",
                                   "--capture f/ --mode-switch|--mode-switch: not with --capture",
                                   "--no-music --volume 40|--volume: not with --no-music",
                                   "--benchmark --volume 40|--volume: not with --benchmark",
                                   "--bogus",
                                   "stray"}) {
        const std::size_t bar = line.find('|');
        const auto p = Parse(line.substr(0, bar));
        EXPECT_EQ(p.status, 2) << line;
        EXPECT_NE(
            p.err.find(bar == std::string::npos ? line.substr(0, line.find_first_of(" =")) : line.substr(bar + 1)),
            std::string::npos)
            << p.err;
        EXPECT_NE(p.err.find("Usage: citadel"), std::string::npos) << p.err;
    }

    const auto help = Parse("--help");
    EXPECT_EQ(help.status, 0);
    std::istringstream options(
        "--headless --window --display --scale --mode-switch --fps --frames --seed --data "
        "--state-log --snapshot --key --no-music --volume --capture --capture-fps "
        "--capture-size --capture-quality --force --version --render-size --colour-depth --depth-bits --msaa "
        "--remaster --benchmark --benchmark-json --key-storm --gl --exact");
    for (std::string option; options >> option;) EXPECT_NE(help.out.find(option), std::string::npos) << option;
    EXPECT_NE(help.out.find("--window [WxH]"), std::string::npos) << "the size is optional";
    EXPECT_EQ(Parse("--version").out, std::string("citadel ") + CITADEL_VERSION + "\n");
}
