// Capture to a video and to a folder of pictures, as a user runs it; failures
// and interruptions leave nothing behind under the requested name.
#include "e2e/Run.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using e2e::RunCitadel;
namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::string> Quiet = {{"SDL_AUDIODRIVER", "dummy"}};

// One "|key=value|...|" line per stream, the video first.
std::vector<std::string> ProbeStreams(const std::string& file)
{
    const auto probe = e2e::Run(platform::FindProgram("ffprobe"),
                                {"-v", "error", "-count_frames", "-show_entries",
                                 "stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,"
                                 "duration,sample_rate",
                                 "-of", "compact=p=0", file});
    std::vector<std::string> streams;
    std::istringstream lines(probe.out);
    for (std::string line; std::getline(lines, line);) streams.push_back("|" + line + "|");
    return streams;
}

bool Has(const std::string& stream, const std::string& entries)
{
    std::istringstream in(entries);
    for (std::string e; in >> e;)
        if (stream.find("|" + e + "|") == std::string::npos) return false;
    return true;
}

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool NoFfmpeg()
{
    return platform::FindProgram("ffmpeg").empty() || platform::FindProgram("ffprobe").empty();
}

} // namespace

TEST(Capture, VideoHasEveryFrameAtTheRateAndMusicOfTheSameLength)
{
    if (NoFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const std::string folder = e2e::TempFolder("capture-mp4"), video = folder + "/show.mp4";
    const auto run = RunCitadel({"--capture", video, "--frames", "120", "--seed", "5"}, Quiet);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"show.mp4"}) << "no temporary files left";

    const auto streams = ProbeStreams(video);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(Has(streams[0], "codec_type=video codec_name=h264 pix_fmt=yuv420p width=640 height=480 "
                                "r_frame_rate=60/1 nb_read_frames=120"))
        << streams[0];
    EXPECT_TRUE(Has(streams[1], "codec_type=audio sample_rate=48000")) << streams[1];
    const auto seconds = [&](int i) { return std::stod(streams[i].substr(streams[i].find("|duration=") + 10)); };
    EXPECT_NEAR(seconds(0), 2.0, 1e-6);
    EXPECT_NEAR(seconds(1), 2.0, 1024.0 / 48000); // within one AAC block
}

// Without ffmpeg a folder capture still works and a video capture says why not.
TEST(Capture, FolderPicturesAreTheFramesOfANormalRunAndNeedNoFfmpeg)
{
    const std::string folder = e2e::TempFolder("capture-png");
    auto noFfmpeg = Quiet;
    noFfmpeg["PATH"] = folder;
    const auto run = RunCitadel({"--capture", folder + "/frames/", "--frames", "120", "--seed", "9"}, noFfmpeg);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto names = Listing(folder + "/frames");
    ASSERT_EQ(names.size(), 121u);
    EXPECT_EQ(names.front() + names[119] + names.back(), "frame-000001.pngframe-000120.pngmusic.wav");
    // Two seconds of 16-bit stereo at 48 kHz after a 44-byte header.
    EXPECT_EQ(fs::file_size(folder + "/frames/music.wav"), 44u + 2 * 48000 * 4);

    const auto normal = RunCitadel({"--headless", "--frames", "120", "--seed", "9", "--no-music", "--snapshot",
                                    "1=" + folder + "/s1.png", "--snapshot", "120=" + folder + "/s120.png"},
                                   Quiet);
    ASSERT_EQ(normal.status, 0) << normal.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/frames/frame-000001.png"), e2e::ReadFile(folder + "/s1.png"));
    EXPECT_EQ(e2e::ReadFile(folder + "/frames/frame-000120.png"), e2e::ReadFile(folder + "/s120.png"));

    const auto video = RunCitadel({"--capture", folder + "/show.mp4", "--frames", "5"}, noFfmpeg);
    EXPECT_EQ(video.status, 1);
    EXPECT_NE(video.err.find("ffmpeg program is not on PATH"), std::string::npos) << video.err;
}

TEST(Capture, NeverReplacesWhatIsThereAndADyingEncoderOrAnInterruptLeavesNothing)
{
    if (NoFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    std::string folder = e2e::TempFolder("capture-exists"), video = folder + "/show.mp4";
    std::ofstream(video) << "precious";
    std::ofstream(folder + "/frame-000001.png") << "precious";
    for (const std::string& target : {video, folder + "/"}) {
        const auto run = RunCitadel({"--capture", target, "--frames", "5"}, Quiet);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    }
    EXPECT_EQ(e2e::ReadFile(video) + e2e::ReadFile(folder + "/frame-000001.png"), "preciousprecious");

    // Forced, at the user's rate and size, and with no music no sound track.
    auto run = RunCitadel({"--capture", video, "--frames", "5", "--force", "--no-music", "--capture-fps", "30",
                           "--capture-size", "320x180"},
                          Quiet);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto streams = ProbeStreams(video);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(Has(streams[0], "width=320 height=180 r_frame_rate=30/1 nb_read_frames=5")) << streams[0];
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"frame-000001.png", "show.mp4"}));

    // A stand-in ffmpeg (a shell script first on PATH) that dies, then one
    // that interrupts citadel (as Ctrl+C would) and goes on reading.
    folder = e2e::TempFolder("capture-fails"), video = folder + "/show.mp4";
    for (const std::string script : {"exit 3", "kill -INT $PPID\nexec cat >/dev/null"}) {
        auto env = Quiet;
        env["PATH"] = e2e::TempFolder("fake-ffmpeg");
        std::ofstream(env["PATH"] + "/ffmpeg") << "#!/bin/sh\n" << script << "\n";
        fs::permissions(env["PATH"] + "/ffmpeg", fs::perms::owner_all);
        env["PATH"] += ":/usr/bin:/bin";
        run = RunCitadel({"--capture", video, "--frames", script == "exit 3" ? "50" : "100000"}, env);
        EXPECT_EQ(run.status, script == "exit 3" ? 1 : 130);
        EXPECT_NE(run.err.find(script == "exit 3" ? "nothing was written to '" + video + "'" : "interrupted"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(Listing(folder).empty());
    }
}
