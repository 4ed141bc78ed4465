// Capture to a video and to a folder of pictures, as a user runs it; failures
// and interruptions leave nothing behind under the requested name, and
// neither a hostile folder nor a stuck ffmpeg turns a capture.
#include "e2e/Run.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include <sys/stat.h>

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

// The environment of a run whose "ffmpeg" is a shell script, first on PATH.
std::map<std::string, std::string> FakeFfmpeg(const std::string& script)
{
    auto env = Quiet;
    const std::string folder = e2e::TempFolder("fake-ffmpeg");
    std::ofstream(folder + "/ffmpeg") << "#!/bin/sh\n" << script << "\n";
    fs::permissions(folder + "/ffmpeg", fs::perms::owner_all);
    env["PATH"] = folder + ":/usr/bin:/bin";
    return env;
}

std::string Quote(const std::string& text)
{
    return "'" + text + "'";
}

// citadel with args, run from folder.
e2e::RunResult RunIn(const std::string& folder, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env)
{
    std::string command = "cd " + Quote(folder) + " && exec " + Quote(e2e::CitadelExe());
    for (const std::string& arg : args) command += " " + Quote(arg);
    return e2e::Run("/bin/sh", {"-c", command}, env);
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
    // The speed and where the time went, each as steady-clock seconds.
    EXPECT_TRUE(std::regex_search(run.out, std::regex("citadel: [0-9.]+x real time in [0-9.]+ s: render [0-9.]+ s, "
                                                      "readback [0-9.]+ s, encode wait [0-9.]+ s, music and finish "
                                                      "[0-9.]+ s\n")))
        << run.out;
}

// Each --capture-quality against the snapshot of the frame it took last: the
// lossy ones within their codec's loss, FFV1 to the pixel.
TEST(Capture, EveryQualityKeepsTheSnapshotsPictureWithinItsCodecsLoss)
{
    if (NoFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const std::string folder = e2e::TempFolder("capture-quality"), snapshot = folder + "/s30.png";
    const struct {
        const char* file;
        const char* quality;
        const char* stream;
        double ssim; // at least
    } cases[] = {{"fast.mp4", "fast", "codec_name=h264 pix_fmt=yuv420p", 0.95},
                 {"small.mp4", "small", "codec_name=h264 pix_fmt=yuv420p", 0.95},
                 {"lossless.mp4", "lossless", "codec_name=h264 pix_fmt=yuv444p", 0.99},
                 {"small.webm", "small", "codec_name=vp9 pix_fmt=yuv420p", 0.95},
                 {"lossless.mkv", "lossless", "codec_name=ffv1 pix_fmt=bgr0", 1.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string video = folder + "/" + c.file;
        const auto run = RunCitadel({"--capture", video, "--capture-quality", c.quality, "--frames", "30", "--seed",
                                     "3", "--no-music", "--force", "--snapshot", "30=" + snapshot},
                                    Quiet);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto streams = ProbeStreams(video);
        ASSERT_EQ(streams.size(), 1u);
        EXPECT_TRUE(Has(streams[0], std::string(c.stream) + " nb_read_frames=30")) << streams[0];
        const auto compared = e2e::Run(platform::FindProgram("ffmpeg"),
                                       {"-hide_banner", "-i", video, "-i", snapshot, "-filter_complex",
                                        "[0:v]select=eq(n\\,29)[last];[last][1:v]ssim", "-f", "null", "-"});
        std::smatch ssim;
        ASSERT_TRUE(std::regex_search(compared.err, ssim, std::regex("All:([0-9.]+)"))) << compared.err;
        EXPECT_GE(std::stod(ssim[1]), c.ssim);
    }
}

// Without ffmpeg a folder capture still works and a video capture says why not.
TEST(Capture, FolderPicturesAreTheFramesOfANormalRunAndNeedNoFfmpeg)
{
    const std::string folder = e2e::TempFolder("capture-png");
    auto noFfmpeg = Quiet;
    noFfmpeg["PATH"] = folder;
    const auto run = RunCitadel({"--capture", folder + "/frames/", "--frames", "120", "--seed", "9", "--benchmark-json",
                                 folder + "/figures.json"},
                                noFfmpeg);
    ASSERT_EQ(run.status, 0) << run.err;
    // The figures as JSON: the show's seconds, the wall's, their ratio, and
    // a split that accounts for the wall time (less what the clock missed).
    std::map<std::string, double> f;
    const std::string json = e2e::ReadFile(folder + "/figures.json");
    const std::regex figure("\"(capture[.][a-z_.]+)\": ([0-9.e+-]+)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), figure); it != std::sregex_iterator(); ++it)
        f[(*it)[1]] = std::stod((*it)[2]);
    EXPECT_EQ(f.size(), 11u) << json;
    EXPECT_EQ(std::vector<double>({f["capture.frames"], f["capture.fps"], f["capture.width"], f["capture.show_s"]}),
              (std::vector<double>{120, 60, 640, 2}));
    EXPECT_NEAR(f["capture.real_time_x"], f["capture.show_s"] / f["capture.wall_s"], 0.01);
    const double split =
        f["capture.render_s"] + f["capture.readback_s"] + f["capture.png_writing_s"] + f["capture.finish_s"];
    EXPECT_LE(split, f["capture.wall_s"] + 0.005);
    EXPECT_GE(split, f["capture.wall_s"] * 0.9);
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
        run = RunCitadel({"--capture", video, "--frames", script == "exit 3" ? "50" : "100000"}, FakeFfmpeg(script));
        EXPECT_EQ(run.status, script == "exit 3" ? 1 : 130);
        EXPECT_NE(run.err.find(script == "exit 3" ? "nothing was written to '" + video + "'" : "interrupted"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(Listing(folder).empty());
    }
}

// The capture reads the music through the show's own checks: what the show
// would play silently gives a silent track, and the capture says why.
TEST(Capture, AModuleThatCannotBeUsedGivesASilentTrackAndSaysWhy)
{
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"folder", "it is a folder"},
                 {"pipe", "it is not a regular file"},
                 {"endless device", "it is not a regular file"},
                 {"huge", "it is larger than 64 MiB"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pack = e2e::CopyPack("capture-module"), module = pack + "/morvek.xm";
        fs::remove(module);
        if (std::string(c.name) == "folder") {
            fs::create_directory(module);
        } else if (std::string(c.name) == "pipe") {
            ASSERT_EQ(::mkfifo(module.c_str(), 0644), 0); // opened, it would wait for a writer for ever
        } else if (std::string(c.name) == "endless device") {
            fs::create_symlink("/dev/zero", module);
        } else {
            std::ofstream(module).close();
            fs::resize_file(module, (std::uintmax_t{64} << 20) + 1);
        }
        const auto run = RunCitadel({"--capture", pack + "/out/", "--frames", "3", "--data", pack}, Quiet);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("the music '" + module + "' cannot be used (" + c.reason), std::string::npos) << run.err;
        const std::string wav = e2e::ReadFile(pack + "/out/music.wav");
        ASSERT_EQ(wav.size(), 44u + 3 * 800 * 4);
        EXPECT_EQ(wav.find_first_not_of('\0', 44), std::string::npos) << "the track is not silent";
        EXPECT_EQ(Listing(pack + "/out").size(), 4u) << "three frames, the music and nothing else";
    }
    // A video takes its track while the show starts: the same word, a silent track.
    if (NoFfmpeg()) return;
    const std::string pack = e2e::CopyPack("capture-module"), module = pack + "/morvek.xm";
    fs::remove(module);
    fs::create_directory(module);
    const auto run = RunCitadel({"--capture", pack + "/out.mkv", "--frames", "3", "--data", pack}, Quiet);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("the music '" + module + "' cannot be used (it is a folder)"), std::string::npos) << run.err;
    const auto streams = ProbeStreams(pack + "/out.mkv");
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(Has(streams[1], "codec_type=audio codec_name=flac")) << streams[1];
}

// Another user who may write in the target's folder must not be able to
// make a capture write or replace anything else, and ffmpeg must take no
// name for a protocol or an option: it only gets absolute file: names of
// files we made first, in a folder of our own.
TEST(Capture, FfmpegOnlyWritesFilesWeMadeInAFolderOfOurOwnAndNoLinkIsFollowed)
{
    const std::string folder = e2e::TempFolder("capture-names"), log = e2e::TempFolder("capture-log") + "/log";
    // Notes a second input, its output name, the mode of the output's folder
    // and whether the file was there already, then writes "video" to it.
    const auto env =
        FakeFfmpeg("case \"$*\" in *' -i file:'*) echo \"-i ${*##* -i }\" | cut -d' ' -f1-2 >>" + Quote(log) +
                   " ;; esac\nfor last; do :; done\nout=${last#file:}\n"
                   "echo \"$last $(stat -c %a \"${out%/*}\") $([ -f \"$out\" ] && echo made)\" >>" +
                   Quote(log) + "\ncat >/dev/null\necho video >\"$out\"");
    const std::string ours = "[.][^/]+[.][A-Za-z0-9]{8}/";

    auto run = RunIn(folder, {"--capture=-y.mp4", "--frames", "2", "--no-music"}, env);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/-y.mp4"), "video\n");
    auto lines = e2e::ReadLines(log);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("file:" + folder + "/" + ours + "capture[.]mp4 700 made")))
        << lines[0];

    // With the music: one run, which also reads the sound track from there.
    fs::create_directory(folder + "/pipe:");
    run = RunIn(folder, {"--capture", "pipe:/out.mkv", "--frames", "2"}, env);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(e2e::ReadFile(folder + "/pipe:/out.mkv"), "video\n");
    EXPECT_EQ(run.out.find("video"), std::string::npos) << "the video went to stdout";
    lines = e2e::ReadLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("-i file:" + folder + "/pipe:/" + ours + "music[.]wav")))
        << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("file:" + folder + "/pipe:/" + ours + "capture[.]mkv 700 made")))
        << lines[2];

    // A link at the target is there; with --force it is followed and stays.
    fs::create_symlink("linked.mp4", folder + "/show.mp4");
    run = RunIn(folder, {"--capture", "show.mp4", "--frames", "2", "--no-music"}, env);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("already exists"), std::string::npos) << run.err;
    run = RunIn(folder, {"--capture", "show.mp4", "--frames", "2", "--no-music", "--force"}, env);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(folder + "/show.mp4"));
    EXPECT_EQ(e2e::ReadFile(folder + "/linked.mp4"), "video\n");

    // Frames go into the folder named, never where a link planted there leads.
    fs::create_directory(folder + "/elsewhere");
    fs::create_directory_symlink(folder + "/elsewhere", folder + "/frames");
    run = RunIn(folder, {"--capture", "frames/", "--frames", "2"}, env);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("'frames' is a link"), std::string::npos) << run.err;
    EXPECT_TRUE(Listing(folder + "/elsewhere").empty());

    EXPECT_EQ(Listing(folder),
              (std::vector<std::string>{"-y.mp4", "elsewhere", "frames", "linked.mp4", "pipe:", "show.mp4"}));
    EXPECT_EQ(Listing(folder + "/pipe:"), std::vector<std::string>{"out.mkv"});
}

// A capture stuck on ffmpeg (which does not read, stops reading, or never
// ends) ends on one signal with that signal's status, ffmpeg and its children gone, and
// not one file left.
TEST(Capture, OneSignalStopsAStuckCaptureInAnyStepWithoutLeavingFfmpegOrFiles)
{
    const struct {
        int signal;
        const char* step;
        const char* script;
        std::size_t runs; // of ffmpeg until the step
    } cases[] = {{SIGINT, "writing frames", "exec sleep 1000", 1},
                 {SIGTERM, "waiting for the encoder", "cat >/dev/null\nexec sleep 1000", 1},
                 {SIGHUP, "writing a frame it stopped reading", "head -c 1000 >/dev/null\nexec sleep 1000", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const std::string folder = e2e::TempFolder("capture-stuck"), pids = e2e::TempFolder("capture-pids") + "/pids";
        const auto started = e2e::Start(e2e::CitadelExe(), {"--capture", folder + "/show.mkv", "--frames", "5"},
                                        FakeFfmpeg("echo $$ >>" + Quote(pids) + "\n" + c.script));
        for (int i = 0; i < 1000 && e2e::ReadLines(pids).size() < c.runs; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // well into the step
        ::kill(started.pid, c.signal);
        const auto run = e2e::Wait(started, 10);
        EXPECT_EQ(run.status, 128 + c.signal) << run.err;
        EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
        const auto ran = e2e::ReadLines(pids);
        EXPECT_EQ(ran.size(), c.runs);
        for (const std::string& pid : ran) EXPECT_NE(::kill(std::stoi(pid), 0), 0) << "ffmpeg " << pid << " still runs";
        EXPECT_TRUE(Listing(folder).empty());
    }
}

// The frames go to ffmpeg from a thread of their own through a few buffers:
// an encoder that stops reading after some frames holds the show in bounded
// memory until a signal stops it; one that dies after some frames is named.
TEST(Capture, AnEncoderThatStallsOrDiesMidShowHoldsTheShowInBoundedMemoryAndLeavesNothing)
{
    const std::string tenFrames = std::to_string(10 * 640 * 480 * 3);
    const struct {
        const char* name;
        std::string script; // after what it reads
        int signal;         // sent once it has read, or 0
        int status;
        const char* says;
    } cases[] = {
        {"reads all", "cat >/dev/null", 0, 1, "ffmpeg ended without error but made no video"}, // the measure
        {"stalls", "exec sleep 1000", SIGINT, 130, "interrupted"},
        {"dies", "exit 3", 0, 1, "ffmpeg stopped in the middle (exit status 3); nothing was written to"},
    };
    long normalKiB = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = e2e::TempFolder("capture-feed"), read = e2e::TempFolder("capture-read") + "/read";
        const bool endless = c.signal != 0;
        const auto started = e2e::Start(
            e2e::CitadelExe(), {"--capture", folder + "/show.mkv", "--no-music", "--frames", endless ? "100000" : "40"},
            FakeFfmpeg("head -c " + tenFrames + " >/dev/null\necho read >" + Quote(read) + "\n" + c.script));
        if (endless) {
            for (int i = 0; i < 1000 && e2e::ReadLines(read).empty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // time enough to fill any queue
            ::kill(started.pid, c.signal);
        }
        const auto run = e2e::Wait(started, 20);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(Listing(folder).empty());
        if (normalKiB == 0) normalKiB = run.peakKiB;
        // Three buffers of 900 KiB at most, however long the encoder stalls.
        EXPECT_LT(run.peakKiB, normalKiB + 8 * 1024) << "KiB";
    }
}

// A forced capture into a folder that holds one replaces it whole or not at
// all: the old capture used to be gone after a failed run.
TEST(Capture, AForcedFolderCaptureReplacesTheOldOneWholeOrLeavesItAsItWas)
{
    const std::string folder = e2e::TempFolder("capture-force"), frames = folder + "/frames";
    const std::vector<std::string> old = {"frame-000001.png", "frame-000002.png", "frame-000003.png",
                                          "frame-000004.png", "music.wav",        "notes.txt"};
    const struct {
        const char* name;
        std::string command;
        int status;
    } cases[] = {
        {"a full disk", "trap '' XFSZ; ulimit -f 1; exec ", 1},
        {"an interrupt", "exec timeout --preserve-status -s INT 2 ", 130},
        {"success", "exec ", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(frames);
        fs::create_directory(frames);
        for (const std::string& name : old) std::ofstream(frames + "/" + name) << "old " << name;
        const bool success = c.status == 0;
        const auto run = e2e::Run("/bin/bash",
                                  {"-c", c.command + Quote(e2e::CitadelExe()) + " --capture " + Quote(frames + "/") +
                                             " --force --no-music --frames " + (success ? "2" : "100000")},
                                  Quiet);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (success) {
            EXPECT_EQ(Listing(frames), (std::vector<std::string>{"frame-000001.png", "frame-000002.png", "notes.txt"}));
            EXPECT_EQ(e2e::ReadFile(frames + "/frame-000001.png").substr(1, 3), "PNG");
        } else {
            EXPECT_EQ(Listing(frames), old);
            for (const std::string& name : old) EXPECT_EQ(e2e::ReadFile(frames + "/" + name), "old " + name);
        }
    }
}

// What the encoder made is looked at before it counts: an ffmpeg that ends
// with status 0 used to give a 0-byte "video", reported as captured. And a
// capture that cannot start says why.
TEST(Capture, WhatTheEncoderMadeIsCheckedAndAnEncoderThatCannotStartSaysWhy)
{
    if (NoFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
    const std::string folder = e2e::TempFolder("capture-check"), two = folder + "/two.mp4";
    ASSERT_EQ(RunCitadel({"--capture", two, "--frames", "2", "--no-music"}, Quiet).status, 0);
    std::string mkdirError = "Operation not permitted";
    if (::mkdir("/sys/citadel-capture", 0755) != 0) mkdirError = std::strerror(errno);
    const struct {
        const char* name;
        std::string target;
        std::string ffmpeg; // the stand-in's whole text, "" for none
        std::string says;
    } cases[] = {
        {"no video", folder + "/a.mp4", "#!/bin/sh\ncat >/dev/null", "made no video"},
        // Writes the two-frame video, whatever it is sent; ffprobe is beside it.
        {"too few frames", folder + "/a.mp4",
         "#!/bin/sh\nfor last; do :; done\ncat >/dev/null\ncp " + Quote(two) + " \"${last#file:}\"",
         "holds 2 of the 5 frames"},
        {"no interpreter", folder + "/a.mp4", "#!/no/such/sh\n", "interpreter '/no/such/sh'"},
        {"a folder that cannot be made", "/sys/citadel-capture/", "",
         "cannot make the folder '/sys/citadel-capture': " + mkdirError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto env = Quiet;
        if (!c.ffmpeg.empty()) {
            env = FakeFfmpeg("");
            const std::string fake = env.at("PATH").substr(0, env.at("PATH").find(':'));
            std::ofstream(fake + "/ffmpeg") << c.ffmpeg;
            fs::create_symlink(platform::FindProgram("ffprobe"), fake + "/ffprobe");
        }
        const auto run = RunCitadel({"--capture", c.target, "--frames", "5", "--no-music"}, env);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"two.mp4"});
}

// The sound track is written as it is rendered: at 1 fps a frame is a
// second of sound, and the whole track used to be held twice in memory.
TEST(Capture, MemoryDoesNotGrowWithASmallerFrameRate)
{
    const std::string folder = e2e::TempFolder("capture-rate");
    long peak[2] = {};
    for (const int fps : {60, 1}) {
        const std::string to = folder + "/at" + std::to_string(fps) + "/";
        const auto run = RunCitadel(
            {"--capture", to, "--frames", "150", "--capture-fps", std::to_string(fps), "--capture-size", "64x48"},
            Quiet);
        ASSERT_EQ(run.status, 0) << run.err;
        peak[fps == 1] = run.peakKiB;
        // 150 s of sound at 1 fps, 2.5 s at 60.
        EXPECT_EQ(fs::file_size(to + "music.wav"), 44u + 150u * 48000 / fps * 4);
    }
    EXPECT_LT(peak[1], peak[0] + 8 * 1024) << "KiB at 1 fps against 60 fps";
}
