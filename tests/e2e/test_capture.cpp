// Capture to a video and to a folder of pictures, as a user runs it: what
// comes out, that it matches a normal run, and that failures and
// interruptions leave nothing behind under the requested name.
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

// One line per stream (the video first, as citadel maps them): "|key=value|key=value|" of the entries asked for.
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

// Whether a stream has all the space-separated key=value entries.
bool Has(const std::string& stream, const std::string& entries)
{
    std::istringstream in(entries);
    for (std::string e; in >> e;)
        if (stream.find("|" + e + "|") == std::string::npos) return false;
    return true;
}

double Seconds(const std::string& stream) { return std::stod(stream.substr(stream.find("|duration=") + 10)); }

// Files left in a folder, hidden temporaries included.
std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A stand-in for ffmpeg: a shell script in a folder of its own, first on PATH.
std::map<std::string, std::string> WithFakeFfmpeg(const std::string& name, const std::string& script)
{
    const std::string bin = e2e::TempFolder(name);
    std::ofstream(bin + "/ffmpeg") << "#!/bin/sh\n" << script << "\n";
    fs::permissions(bin + "/ffmpeg", fs::perms::owner_all);
    auto env = Quiet;
    env["PATH"] = bin + ":/usr/bin:/bin";
    return env;
}

class Capture : public testing::Test {
protected:
    void SetUp() override
    {
        if (platform::FindProgram("ffmpeg").empty() || platform::FindProgram("ffprobe").empty())
            GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    }
};

} // namespace

TEST_F(Capture, VideoHasEveryFrameAtTheRateAndMusicOfTheSameLength)
{
    const std::string folder = e2e::TempFolder("capture-mp4");
    const std::string video = folder + "/show.mp4";
    const auto run = RunCitadel({"--capture", video, "--frames", "120", "--seed", "5"}, Quiet);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"show.mp4"}) << "no temporary files left";

    const auto streams = ProbeStreams(video);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(Has(streams[0], "codec_type=video codec_name=h264 pix_fmt=yuv420p width=640 height=480 "
                                "r_frame_rate=60/1 nb_read_frames=120")) << streams[0];
    EXPECT_NEAR(Seconds(streams[0]), 2.0, 1e-6);
    EXPECT_TRUE(Has(streams[1], "codec_type=audio sample_rate=48000")) << streams[1];
    // Within one AAC block of the picture's two seconds.
    EXPECT_NEAR(Seconds(streams[1]), 2.0, 1024.0 / 48000);
}

TEST_F(Capture, FolderPicturesAreTheFramesOfANormalRunAndNeedNoFfmpeg)
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
}

TEST_F(Capture, NeverReplacesWhatIsThereWithoutForce)
{
    const std::string folder = e2e::TempFolder("capture-exists");
    const std::string video = folder + "/show.mp4";
    std::ofstream(video) << "precious";
    auto run = RunCitadel({"--capture", video, "--frames", "5"}, Quiet);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("already exists"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(e2e::ReadFile(video), "precious");

    std::ofstream(folder + "/frame-000001.png") << "precious";
    run = RunCitadel({"--capture", folder + "/", "--frames", "5"}, Quiet);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(e2e::ReadFile(folder + "/frame-000001.png"), "precious");

    // Forced, at the user's rate and size, and with no music no sound track.
    run = RunCitadel({"--capture", video, "--frames", "5", "--force", "--no-music", "--capture-fps", "30",
                      "--capture-size", "320x180"}, Quiet);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto streams = ProbeStreams(video);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(Has(streams[0], "width=320 height=180 r_frame_rate=30/1 nb_read_frames=5")) << streams[0];
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"frame-000001.png", "show.mp4"}));
}

TEST_F(Capture, AMissingOrDyingEncoderOrAnInterruptLeavesNothingBehind)
{
    const std::string folder = e2e::TempFolder("capture-fails");
    auto noFfmpeg = Quiet;
    noFfmpeg["PATH"] = folder;
    auto run = RunCitadel({"--capture", folder + "/show.mp4", "--frames", "5"}, noFfmpeg);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ffmpeg program is not on PATH"), std::string::npos) << run.err;

    run = RunCitadel({"--capture", folder + "/show.mp4", "--frames", "50"}, WithFakeFfmpeg("fake-dies", "exit 3"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("nothing was written to '" + folder + "/show.mp4'"), std::string::npos) << run.err;

    // The stand-in interrupts citadel (as Ctrl+C would) and goes on reading.
    run = RunCitadel({"--capture", folder + "/show.mp4"},
                     WithFakeFfmpeg("fake-interrupts", "kill -INT $PPID\nexec cat >/dev/null"));
    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(folder).empty());
}
