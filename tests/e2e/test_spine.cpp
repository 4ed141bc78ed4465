// The program as a user starts it: options, the end of a run, and the ways
// it refuses to start.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

using e2e::RunCitadel;

TEST(Spine, FramesEndsTheRunThroughTheNormalShutdown)
{
    const std::string log = e2e::TempFolder("frames") + "/state.csv";
    const auto run = RunCitadel({"--headless", "--frames", "60", "--no-music", "--state-log", log});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto lines = e2e::ReadLines(log);
    ASSERT_EQ(lines.size(), 61u);
    EXPECT_EQ(lines[0].rfind("frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,EndRequested,TitlesActive,SceneActive,"
                             "InterludeActive,TurnCount",
                             0),
              0u);
    EXPECT_EQ(lines[1].rfind("1,titles,-29,-5,205,150,45,0,-1,-1,0,0", 0), 0u);
}

TEST(Spine, MissingOrBadImageStopsBeforeTheFirstFrame)
{
    const std::string folder = e2e::CopyPack("bad-image");
    std::filesystem::remove(folder + "/Tex5.MOT");
    auto run = RunCitadel({"--headless", "--data", folder, "--state-log", folder + "/log.csv"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("File not found: '" + folder + "/Tex5.MOT'"), std::string::npos) << run.err;
    EXPECT_LE(e2e::ReadLines(folder + "/log.csv").size(), 1u);

    std::ofstream(folder + "/Tex5.MOT", std::ios::binary) << "garbage!";
    run = RunCitadel({"--headless", "--data", folder});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Bad image size"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(folder + "/Tex5.MOT"), std::string::npos) << run.err;
}

TEST(Spine, NoPixelFormatEndsInTheFatalErrorBox)
{
    // SDL's dummy video driver has no OpenGL: no pixel format can match.
    const auto run = RunCitadel({"--headless", "--frames", "5"}, {{"SDL_VIDEODRIVER", "dummy"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Fatal Error In citadel: Fatal Error: Could not retrieve pixel format!"), std::string::npos)
        << run.err;
}

// A driver that gives a pixel format but no context (or none that binds)
// used to leave the show drawing nothing and ending with status 0.
TEST(Spine, AContextThatCannotBeMadeOrBoundEndsInTheFatalErrorBox)
{
    for (const std::string mode : {"create", "bind"}) {
        const auto run = RunCitadel({"--headless", "--frames", "3"}, {{"SDL_VIDEO_EGL_DRIVER", CITADEL_FAILING_EGL},
                                                                      {"CITADEL_FAILING_EGL", mode},
                                                                      {"SDL_AUDIODRIVER", "dummy"}});
        EXPECT_EQ(run.status, 1) << mode;
        EXPECT_NE(run.err.find(mode == "create" ? "Fatal Error: Could not create the rendering context!"
                                                : "Fatal Error: Could not make the rendering context current!"),
                  std::string::npos)
            << run.err;
    }
}

// Started from the desktop (no terminal), a start-up error also goes to a
// message box; without a display (or headless) that must not hold anything up.
TEST(Spine, AStartUpErrorWithoutATerminalEndsAtOnceWithItsMessageOnStderr)
{
    const std::string empty = e2e::TempFolder("no-terminal");
    for (const bool headless : {true, false}) {
        std::vector<std::string> args{"--data", empty};
        if (headless) args.push_back("--headless");
        const auto start = std::chrono::steady_clock::now();
        // A display is announced, but no server answers there.
        const auto run = RunCitadel(args, {{"DISPLAY", ":4242"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}});
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << headless;
        EXPECT_EQ(run.status, 1) << headless;
        EXPECT_NE(run.err.find("Files not found: '" + empty + "/Tex0.MOT'"), std::string::npos) << run.err;
    }
}

TEST(Spine, NoDisplayWithoutHeadlessIsAClearError)
{
    const auto run = RunCitadel({"--frames", "5"}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--headless"), std::string::npos) << run.err;
}

TEST(Spine, HelpListsTheOptionsAndBadOptionsAreUsageErrors)
{
    const auto help = RunCitadel({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--headless", "--window", "--fps", "--frames", "--seed", "--data", "--state-log",
                               "--snapshot", "--key", "--no-music", "--volume", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    EXPECT_EQ(RunCitadel({"--bogus"}).status, 2);
    EXPECT_EQ(RunCitadel({"--frames", "zero"}).status, 2);
    EXPECT_EQ(RunCitadel({"--volume", "101"}).status, 2);
    EXPECT_EQ(RunCitadel({"--key", "5:NoSuchKey"}).status, 2);
    EXPECT_EQ(RunCitadel({"--snapshot", "x.png"}).status, 2);
    EXPECT_EQ(RunCitadel({"--window=12by4"}).status, 2);
}
