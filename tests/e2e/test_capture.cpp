// Capture to a video and to a folder of pictures, as a user runs it: what
// comes out, that it matches a normal run, and that failures and
// interruptions leave nothing behind under the requested name.
#include "e2e/Run.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using e2e::RunCitadel;
namespace fs = std::filesystem;

namespace {

const std::map<std::string, std::string> Quiet = {{"SDL_AUDIODRIVER", "dummy"}};

// One ffprobe section per stream: "key=value" pairs of the entries asked for.
std::vector<std::map<std::string, std::string>> ProbeStreams(const std::string& file)
{
    const auto probe = e2e::Run(platform::FindProgram("ffprobe"),
                                {"-v", "error", "-count_frames", "-show_entries",
                                 "stream=codec_type,codec_name,width,height,pix_fmt,r_frame_rate,nb_read_frames,"
                                 "duration,sample_rate",
                                 "-of", "flat=s=_", file});
    std::map<int, std::map<std::string, std::string>> streams;
    std::istringstream lines(probe.out);
    for (std::string line; std::getline(lines, line);) {
        int index = 0;
        char key[64] = {};
        int end = 0;
        if (std::sscanf(line.c_str(), "streams_stream_%d_%63[^=]=%n", &index, key, &end) < 2 || end == 0) continue;
        std::string value = line.substr(static_cast<std::size_t>(end));
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        streams[index][key] = value;
    }
    std::vector<std::map<std::string, std::string>> result;
    for (auto& [index, entries] : streams) result.push_back(entries);
    return result;
}

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
    const std::string path = bin + "/ffmpeg";
    std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
    fs::permissions(path, fs::perms::owner_all);
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
    const auto& picture = streams[0].at("codec_type") == "video" ? streams[0] : streams[1];
    const auto& sound = streams[0].at("codec_type") == "video" ? streams[1] : streams[0];
    EXPECT_EQ(picture.at("codec_name"), "h264");
    EXPECT_EQ(picture.at("pix_fmt"), "yuv420p");
    EXPECT_EQ(picture.at("width"), "640");
    EXPECT_EQ(picture.at("height"), "480");
    EXPECT_EQ(picture.at("r_frame_rate"), "60/1");
    EXPECT_EQ(picture.at("nb_read_frames"), "120");
    EXPECT_NEAR(std::stod(picture.at("duration")), 2.0, 1e-6);
    EXPECT_EQ(sound.at("sample_rate"), "48000");
    // Within one AAC block of the picture's two seconds.
    EXPECT_NEAR(std::stod(sound.at("duration")), 2.0, 1024.0 / 48000);
}

TEST_F(Capture, RateAndSizeAreTheUsersAndNoMusicMeansNoSoundTrack)
{
    const std::string video = e2e::TempFolder("capture-small") + "/small.mkv";
    const auto run = RunCitadel(
        {"--capture", video, "--frames", "30", "--capture-fps", "30", "--capture-size", "320x180", "--no-music"}, Quiet);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto streams = ProbeStreams(video);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].at("width"), "320");
    EXPECT_EQ(streams[0].at("height"), "180");
    EXPECT_EQ(streams[0].at("r_frame_rate"), "30/1");
    EXPECT_EQ(streams[0].at("nb_read_frames"), "30");
}

TEST_F(Capture, FolderPicturesAreTheFramesOfANormalRun)
{
    const std::string folder = e2e::TempFolder("capture-png");
    const auto run = RunCitadel({"--capture", folder + "/frames/", "--frames", "60", "--seed", "9"}, Quiet);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto names = Listing(folder + "/frames");
    ASSERT_EQ(names.size(), 61u);
    EXPECT_EQ(names.front(), "frame-000001.png");
    EXPECT_EQ(names[59], "frame-000060.png");
    EXPECT_EQ(names.back(), "music.wav");
    // 60 frames at 60 a second: one second of 16-bit stereo at 48 kHz after a 44-byte header.
    EXPECT_EQ(fs::file_size(folder + "/frames/music.wav"), 44u + 48000 * 4);

    const auto normal = RunCitadel({"--headless", "--frames", "60", "--seed", "9", "--no-music", "--snapshot",
                                    "1=" + folder + "/s1.png", "--snapshot", "37=" + folder + "/s37.png",
                                    "--snapshot", "60=" + folder + "/s60.png"},
                                   Quiet);
    ASSERT_EQ(normal.status, 0) << normal.err;
    for (const char* k : {"1", "37", "60"}) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%06d.png", std::atoi(k));
        EXPECT_EQ(e2e::ReadFile(folder + "/frames/" + name), e2e::ReadFile(folder + "/s" + k + ".png")) << k;
    }
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

    run = RunCitadel({"--capture", video, "--frames", "5", "--force", "--no-music"}, Quiet);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ProbeStreams(video).at(0).at("nb_read_frames"), "5");
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"frame-000001.png", "show.mp4"}));
}

TEST_F(Capture, WithoutFfmpegItSaysSoBeforeStarting)
{
    const std::string folder = e2e::TempFolder("capture-noffmpeg");
    auto env = Quiet;
    env["PATH"] = folder;
    const auto run = RunCitadel({"--capture", folder + "/show.mp4", "--frames", "5"}, env);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ffmpeg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("PATH"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(folder).empty());
    // A folder of pictures needs no ffmpeg.
    EXPECT_EQ(RunCitadel({"--capture", folder + "/frames/", "--frames", "2"}, env).status, 0);
}

TEST_F(Capture, AnEncoderThatDiesLeavesNothingBehind)
{
    const std::string folder = e2e::TempFolder("capture-dies");
    const auto run = RunCitadel({"--capture", folder + "/show.mp4", "--frames", "50"},
                                WithFakeFfmpeg("fake-dies", "exit 3"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ffmpeg"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing was written to '" + folder + "/show.mp4'"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(folder).empty());
}

TEST_F(Capture, AnInterruptedCaptureLeavesNothingBehind)
{
    // The stand-in interrupts citadel (as Ctrl+C would) and goes on reading.
    const std::string folder = e2e::TempFolder("capture-interrupted");
    const auto run = RunCitadel({"--capture", folder + "/show.mp4"},
                                WithFakeFfmpeg("fake-interrupts", "kill -INT $PPID\nexec cat >/dev/null"));
    EXPECT_EQ(run.status, 130);
    EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(folder).empty());
}
