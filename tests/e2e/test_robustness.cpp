// Bad input and faults from outside: damaged images stop the show with a
// message naming the file before anything is drawn; a damaged module or a
// missing sound device only costs the music; a closed window and a storm of
// keys end or steer the show without harm.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using e2e::RunCitadel;

const char* const Images[] = {"Tex0.MOT",   "Tex1.MOT",   "Tex2.MOT",   "Tex3.MOT",   "Tex4.MOT",  "Tex5.MOT",
                              "Text0.MOT",  "Text1.MOT",  "Text2.MOT",  "Tittle.MOT", "Dist0.MOT", "LightMap.MOT",
                              "CBTex0.MOT", "CBTex1.MOT", "CBTex2.MOT", "CBTex3.MOT"};

struct CameraRow {
    char phase[32] = "";
    double x, y, z, yaw, pitch;
};

// The camera columns of a state log: frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,...
std::vector<CameraRow> CameraRows(const std::string& log)
{
    std::vector<CameraRow> rows;
    const auto lines = e2e::ReadLines(log);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        CameraRow& r = rows.emplace_back();
        std::sscanf(lines[i].c_str(), "%*d,%31[^,],%lf,%lf,%lf,%lf,%lf", r.phase, &r.x, &r.y, &r.z, &r.yaw, &r.pitch);
    }
    return rows;
}

e2e::RunResult Show(const std::string& pack, std::vector<std::string> more = {})
{
    more.insert(more.begin(), {"--headless", "--no-music", "--data", pack, "--state-log", pack + "/state.csv"});
    return RunCitadel(more);
}

// A run stopped by a bad image: status 1, the file named, no frame drawn.
void ExpectStoppedBy(const e2e::RunResult& run, const std::string& path, const std::string& reason)
{
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("'" + path + "'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(fs::path(path).parent_path() / "state.csv")) << "a frame was drawn";
}

TEST(BadImages, CutSizesBadSizesAndNonFilesStopWithTheFilesName)
{
    const std::string pack = e2e::CopyPack("bad-images");
    const std::uintmax_t cuts[] = {0, 4, 7}; // empty, and inside the sizes
    for (std::size_t i = 0; i < std::size(Images); ++i) {
        const std::string path = pack + "/" + Images[i];
        SCOPED_TRACE(path + " cut to " + std::to_string(cuts[i % 3]));
        fs::resize_file(path, cuts[i % 3]);
        ExpectStoppedBy(Show(pack), path, "is too short for an image");
        fs::copy_file(std::string(CITADEL_PACK_DIR) + "/" + Images[i], path, fs::copy_options::overwrite_existing);
    }

    const std::string path = pack + "/Tex3.MOT";
    const float bad[][2] = {{NAN, 8},      {8, NAN},      {-256, 256}, {256, -0.5f}, {1e30f, 1e30f},
                            {INFINITY, 8}, {255.5f, 256}, {0, 0},      {8193, 1},    {-0.0f, 8}};
    for (const auto& size : bad) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(size), 8) << std::string(3 * 64, '\x40');
        out.close();
        ExpectStoppedBy(Show(pack), path, "Bad image size");
    }
    fs::copy_file(std::string(CITADEL_PACK_DIR) + "/Tex3.MOT", path, fs::copy_options::overwrite_existing);

    const std::string title = pack + "/Tittle.MOT";
    fs::remove(title);
    fs::create_directory(title);
    ExpectStoppedBy(Show(pack), title, "is a folder");
    fs::remove(title);
    // Opening a pipe with no writer would wait for ever.
    ASSERT_EQ(::mkfifo(title.c_str(), 0644), 0);
    ExpectStoppedBy(Show(pack), title, "is not a file");
    fs::remove(title);
}

// Sixteen files of 8 bytes that each claim 8192 x 8192 pixels used to take
// start-up to gigabytes. Memory now follows what the files hold: an image
// may lack at most 4 MiB of its pixels (then black), or it is refused
// before anything is allocated for it.
TEST(BadImages, ImagesThatClaimFarMoreThanTheyHoldStopBeforeTakingTheMemory)
{
    const std::string pack = e2e::CopyPack("huge-claims");
    // Within the margin: a 1024 x 1024 image that holds only its sizes plays, black.
    const float large[2] = {1024, 1024};
    std::ofstream(pack + "/Tex1.MOT", std::ios::binary).write(reinterpret_cast<const char*>(large), 8);
    const auto plays = Show(pack, {"--frames", "2"});
    EXPECT_EQ(plays.status, 0) << plays.err;
    EXPECT_NE(plays.err.find("'" + pack + "/Tex1.MOT' holds 0 of its 3145728 pixel bytes"), std::string::npos)
        << plays.err;

    fs::remove(pack + "/state.csv");
    const float huge[2] = {8192, 8192};
    for (const char* image : Images)
        std::ofstream(pack + "/" + image, std::ios::binary).write(reinterpret_cast<const char*>(huge), 8);
    const auto run = Show(pack);
    ExpectStoppedBy(run, pack + "/Tex0.MOT",
                    "is far too short for its sizes 8192 x 8192: it holds 0 of their 201326592 pixel bytes, and at "
                    "most 4194304 may be missing");
    // One such image alone would have taken 192 MiB (and as much again in GL).
    EXPECT_LT(run.peakKiB, plays.peakKiB + 64 * 1024);
}

TEST(BadImages, ImagesCutInsideTheirPixelsPlayWithTheMissingPixelsBlack)
{
    const std::string pack = e2e::CopyPack("cut-pixels");
    for (const int cut : {0, 1, 2}) { // after the sizes, halfway, one byte short
        SCOPED_TRACE(cut);
        for (const char* image : Images) {
            const std::string good = e2e::ReadFile(std::string(CITADEL_PACK_DIR) + "/" + image);
            std::ofstream(pack + "/" + image, std::ios::binary) << good;
            fs::resize_file(pack + "/" + image, cut == 0 ? 8 : cut == 1 ? good.size() / 2 : good.size() - 1);
        }
        const auto run = Show(pack, {"--frames", "10"});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const char* image : Images) // each cut file is named
            EXPECT_NE(run.err.find("'" + pack + "/" + image + "' holds"), std::string::npos) << run.err;
        EXPECT_EQ(CameraRows(pack + "/state.csv").size(), 10u);
    }
}

// The show plays on without its music, as it always did, saying why in one
// line when the file is the trouble; ALSA without a sound card (as on build
// machines) must be kept quiet on stderr.
TEST(BadModule, EveryMusicFailureLeavesACompleteShowAndAFileThatCannotBePlayedIsNamed)
{
    const std::string good = e2e::ReadFile(std::string(CITADEL_PACK_DIR) + "/morvek.xm");
    std::string junk(3000, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7919 >> 3);
    const std::string unreadable = "it is not a module the sound library can read";
    const struct {
        const char* name;
        std::string module;
        const char* driver;
        std::string why; // "": nothing on stderr
    } cases[] = {// "-": no file
                 {"missing", "-", "dummy", "it does not exist"},
                 {"empty", "", "dummy", "it is empty"},
                 {"header cut", good.substr(0, 40), "dummy", unreadable},
                 {"one byte short", good.substr(0, good.size() - 1), "dummy", ""},
                 {"garbage", junk, "dummy", unreadable},
                 {"huge", good + std::string(48u << 20, '\0'), "dummy", ""},
                 {"no driver", good, "nonexistent", ""},
                 {"alsa", good, "alsa", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pack = e2e::CopyPack("module");
        fs::remove(pack + "/morvek.xm");
        if (c.module != "-") std::ofstream(pack + "/morvek.xm", std::ios::binary) << c.module;
        const auto run =
            RunCitadel({"--headless", "--frames", "20", "--data", pack, "--state-log", pack + "/state.csv"},
                       {{"SDL_AUDIODRIVER", c.driver}});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, c.why.empty() ? std::string()
                                         : "citadel: the music '" + pack + "/morvek.xm' cannot be played (" + c.why +
                                               "); the show plays silently\n");
        EXPECT_EQ(CameraRows(pack + "/state.csv").size(), 20u);
    }
}

TEST(Faults, AWindowClosedMidInterludeEndsTheShowAndAStormOfKeysKeepsTheCameraInRange)
{
    // Frames 532 to 731 are the first interlude; --frames closes the window.
    const std::string log = e2e::TempFolder("faults") + "/state.csv";
    auto run = RunCitadel({"--headless", "--seed", "3", "--frames", "600", "--state-log", log},
                          {{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_EQ(std::to_string(run.status) + run.err, "0") << run.err;
    auto rows = CameraRows(log);
    ASSERT_EQ(rows.size(), 600u);
    EXPECT_STREQ(rows.back().phase, "interlude");

    run = RunCitadel({"--headless", "--no-music", "--seed", "5", "--key-storm", "20240607", "--state-log", log});
    EXPECT_EQ(std::to_string(run.status) + run.err, "0") << run.err;
    rows = CameraRows(log);
    ASSERT_EQ(rows.size(), 3186u);
    int steered = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CameraRow& r = rows[i];
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        for (double v : {r.x, r.y, r.z, r.yaw, r.pitch}) ASSERT_TRUE(std::isfinite(v));
        ASSERT_TRUE(r.yaw > -360 && r.yaw < 360) << r.yaw;
        // Keys keep the pitch inside (-90, 90), but the script itself places
        // the camera at -90 and 90 after two interludes, and at 180 in every
        // frame of the final approach.
        if (std::string(r.phase) != "final" || r.pitch != 180) ASSERT_TRUE(r.pitch >= -90 && r.pitch <= 90) << r.pitch;
        if (std::string(r.phase) == "titles" && (r.y != -5 || r.yaw != 150 || r.pitch != 45)) ++steered;
    }
    EXPECT_GT(steered, 300) << "the storm hardly reached the key handler";
}

} // namespace
