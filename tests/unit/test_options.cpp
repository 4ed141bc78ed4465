// The command line: every option, its bad values, and what a capture
// implies for the rest of the show.
#include "app/Capture.h"
#include "app/Options.h"
#include "platform/Events.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Parsed {
    int status = 0;
    ShowOptions options;
    std::string out, err;
};

Parsed Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "citadel");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    Parsed result;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    result.status = ParseOptions(static_cast<int>(argv.size()), argv.data(), result.options);
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

int Status(const std::vector<std::string>& args) { return Parse(args).status; }

} // namespace

TEST(Options, NoneGiveTheOriginalShowPacedToSixty)
{
    const auto p = Parse({});
    ASSERT_EQ(p.status, -1);
    EXPECT_FALSE(p.options.video.headless);
    EXPECT_FALSE(p.options.video.windowed);
    EXPECT_FALSE(p.options.video.modeSwitch);
    EXPECT_EQ(p.options.video.fps, 60);
    EXPECT_EQ(p.options.video.filter, platform::ScaleFilter::Linear);
    EXPECT_EQ(p.options.frames, 0);
    EXPECT_FALSE(p.options.seed.has_value());
    EXPECT_FALSE(p.options.noMusic);
    EXPECT_TRUE(p.options.capture.path.empty());
}

TEST(Options, DisplayOptions)
{
    auto p = Parse({"--window"});
    EXPECT_TRUE(p.options.video.windowed);
    EXPECT_EQ(p.options.video.windowWidth, 1280);
    EXPECT_EQ(p.options.video.windowHeight, 960);
    p = Parse({"--window=800x600", "--display", "1", "--scale", "integer", "--mode-switch"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.video.windowWidth, 800);
    EXPECT_EQ(p.options.video.windowHeight, 600);
    EXPECT_EQ(p.options.video.display, 1);
    EXPECT_EQ(p.options.video.filter, platform::ScaleFilter::Integer);
    EXPECT_TRUE(p.options.video.modeSwitch);
    EXPECT_EQ(Parse({"--scale", "nearest"}).options.video.filter, platform::ScaleFilter::Nearest);

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--window=12by4"}, {"--window=0x480"}, {"--display", "64"}, {"--display", "-1"}, {"--scale", "cubic"}})
        EXPECT_EQ(Status(bad), 2) << bad[0];
}

TEST(Options, PacingAndTheShowsRun)
{
    EXPECT_EQ(Parse({"--headless"}).options.video.fps, 0);
    EXPECT_EQ(Parse({"--headless", "--fps", "30"}).options.video.fps, 30);
    EXPECT_EQ(Parse({"--fps", "0"}).options.video.fps, 0);
    const std::string folder = std::filesystem::temp_directory_path().string();
    auto p = Parse({"--frames", "10", "--seed", "7", "--data", folder, "--state-log", "s.csv", "--snapshot",
                    "5=a.png", "--snapshot", "9=b.png", "--key", "10:Shift+Left", "--no-music", "--volume", "50"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.frames, 10);
    EXPECT_EQ(p.options.seed, 7u);
    EXPECT_EQ(p.options.dataFolder, folder);
    EXPECT_EQ(p.options.stateLogPath, "s.csv");
    EXPECT_EQ(p.options.snapshots.size(), 2u);
    EXPECT_EQ(p.options.snapshots[5], "a.png");
    ASSERT_EQ(p.options.keys.size(), 1u);
    EXPECT_EQ(p.options.keys[0].frame, 10);
    EXPECT_EQ(p.options.keys[0].key, "Left");
    EXPECT_EQ(p.options.keys[0].shift, platform::ShiftMask);
    EXPECT_TRUE(p.options.noMusic);
    EXPECT_EQ(p.options.volume, 50);

    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--fps", "-1"}, {"--fps", "1001"}, {"--frames", "0"}, {"--frames", "zero"}, {"--seed", "x"},
             {"--data", "/no/such/folder"}, {"--snapshot", "x.png"}, {"--snapshot", "0=a.png"},
             {"--key", "5:NoSuchKey"}, {"--key", "Left"}, {"--volume", "101"}})
        EXPECT_EQ(Status(bad), 2) << bad[0] << " " << bad[1];
}

TEST(Options, CaptureRunsHeadlessUnpacedWithItsOwnMusic)
{
    auto p = Parse({"--capture", "show.mp4", "--fps", "30"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.capture.path, "show.mp4");
    EXPECT_EQ(p.options.capture.fps, 60);
    EXPECT_EQ(p.options.capture.width, 640);
    EXPECT_EQ(p.options.capture.height, 480);
    EXPECT_FALSE(p.options.capture.force);
    EXPECT_TRUE(p.options.video.headless);
    EXPECT_EQ(p.options.video.fps, 0);
    EXPECT_TRUE(p.options.capture.music);
    EXPECT_TRUE(p.options.noMusic);   // nothing on the audio device

    p = Parse({"--capture", "frames/", "--capture-fps", "25", "--capture-size", "321x241", "--force", "--no-music"});
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.options.capture.fps, 25);
    EXPECT_EQ(p.options.capture.width, 321);
    EXPECT_EQ(p.options.capture.height, 241);
    EXPECT_TRUE(p.options.capture.force);
    EXPECT_FALSE(p.options.capture.music);
}

TEST(Options, BadCaptureValuesAreUsageErrors)
{
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--capture", "show.avi"},
             {"--capture", "show"},
             {"--capture", "show.mp4", "--capture-fps", "0"},
             {"--capture", "show.mp4", "--capture-size", "big"},
             {"--capture", "show.mp4", "--capture-size", "1x1"},
             {"--capture", "show.mp4", "--capture-size", "641x480"},   // video sizes must be even
             {"--capture-fps", "30"},
             {"--capture-size", "320x240"},
             {"--force"}}) {
        const auto p = Parse(bad);
        EXPECT_EQ(p.status, 2) << bad[0] << " " << (bad.size() > 1 ? bad[1] : "");
        EXPECT_NE(p.err.find("Usage: citadel"), std::string::npos);
    }
}

TEST(Options, HelpVersionAndUnknownOptions)
{
    const auto help = Parse({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--headless", "--window", "--display", "--scale", "--mode-switch", "--fps", "--frames",
                               "--seed", "--data", "--state-log", "--snapshot", "--key", "--no-music", "--volume",
                               "--capture", "--capture-fps", "--capture-size", "--force", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    const auto version = Parse({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("citadel ") + CITADEL_VERSION + "\n");

    const auto unknown = Parse({"--bogus"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--bogus"), std::string::npos);
    EXPECT_NE(unknown.err.find("Usage: citadel"), std::string::npos);
    EXPECT_EQ(Status({"stray"}), 2);
}

TEST(CapturePath, VideoByExtensionFolderBySlashOrExistence)
{
    CaptureKind kind = CaptureKind::Folder;
    std::string why;
    for (const char* video : {"a.mp4", "dir/b.MKV", "c.webm"}) {
        EXPECT_TRUE(ClassifyCapturePath(video, kind, why)) << video;
        EXPECT_EQ(kind, CaptureKind::Video) << video;
    }
    EXPECT_TRUE(ClassifyCapturePath("frames/", kind, why));
    EXPECT_EQ(kind, CaptureKind::Folder);
    EXPECT_TRUE(ClassifyCapturePath(std::filesystem::temp_directory_path().string(), kind, why));
    EXPECT_EQ(kind, CaptureKind::Folder);
    EXPECT_FALSE(ClassifyCapturePath("a.gif", kind, why));
    EXPECT_NE(why.find("a.gif"), std::string::npos);
    EXPECT_FALSE(ClassifyCapturePath("", kind, why));
}
