// Bad input and faults from outside: damaged images stop the show with a
// message naming the file before anything is drawn; a damaged module only
// costs the music; a closed window and a storm of keys end or steer the show
// without harm.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using e2e::RunCitadel;

const char* const Images[] = {"Tex0.MOT",  "Tex1.MOT",   "Tex2.MOT",   "Tex3.MOT",     "Tex4.MOT",  "Tex5.MOT",
                              "Text0.MOT", "Text1.MOT",  "Text2.MOT",  "Tittle.MOT",   "Dist0.MOT", "LightMap.MOT",
                              "CBTex0.MOT", "CBTex1.MOT", "CBTex2.MOT", "CBTex3.MOT"};

void Cut(const std::string& path, std::uintmax_t size) { fs::resize_file(path, size); }

void WriteSizes(const std::string& path, float width, float height)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&width), 4);
    out.write(reinterpret_cast<const char*>(&height), 4);
    const std::string pixels(3 * 64, '\x40');
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

struct CameraRow {
    std::string phase;
    double x, y, z, yaw, pitch;
};

// The camera columns of a state log: frame,phase,CamX,CamY,CamZ,CamYaw,CamPitch,...
std::vector<CameraRow> CameraRows(const std::string& log)
{
    std::vector<CameraRow> rows;
    const auto lines = e2e::ReadLines(log);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        CameraRow row;
        const auto first = line.find(',');
        const auto second = line.find(',', first + 1);
        row.phase = line.substr(first + 1, second - first - 1);
        const char* p = line.c_str() + second + 1;
        double* fields[] = {&row.x, &row.y, &row.z, &row.yaw, &row.pitch};
        for (double* field : fields) {
            char* end = nullptr;
            *field = std::strtod(p, &end);
            p = end + 1;
        }
        rows.push_back(row);
    }
    return rows;
}

// A run stopped by a bad image: status 1, the file named, no frame drawn.
void ExpectStoppedBy(const e2e::RunResult& run, const std::string& log, const std::string& path,
                     const std::string& reason)
{
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("'" + path + "'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(log)) << "a frame was drawn";
}

TEST(BadImages, EveryImageCutInsideItsSizesStopsWithItsName)
{
    const std::string pack = e2e::CopyPack("cut-sizes");
    const std::string log = pack + "/state.csv";
    for (const char* image : Images) {
        const std::string path = pack + "/" + image;
        const std::string good = e2e::ReadFile(path);
        for (std::uintmax_t size : {0, 4, 7}) {
            SCOPED_TRACE(std::string(image) + " cut to " + std::to_string(size));
            Cut(path, size);
            const auto run = RunCitadel({"--headless", "--no-music", "--data", pack, "--state-log", log});
            ExpectStoppedBy(run, log, path, "is too short for an image");
        }
        std::ofstream(path, std::ios::binary) << good;
    }
}

TEST(BadImages, SizesThatAreNotWholeNumbersFromOneUpStopWithTheFilesName)
{
    const std::string pack = e2e::CopyPack("bad-sizes");
    const std::string log = pack + "/state.csv";
    const std::string path = pack + "/Tex3.MOT";
    const float bad[][2] = {{NAN, 8},    {8, NAN},   {-256, 256}, {256, -0.5f}, {1e30f, 1e30f},
                            {INFINITY, 8}, {255.5f, 256}, {0, 0},      {8193, 1},     {-0.0f, 8}};
    for (const auto& size : bad) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        WriteSizes(path, size[0], size[1]);
        const auto run = RunCitadel({"--headless", "--no-music", "--data", pack, "--state-log", log});
        ExpectStoppedBy(run, log, path, "Bad image size");
    }
}

TEST(BadImages, AFolderAPipeOrAnUnreadableFileInPlaceOfAnImageStops)
{
    const std::string pack = e2e::CopyPack("not-a-file");
    const std::string log = pack + "/state.csv";
    const std::string path = pack + "/Tittle.MOT";
    fs::remove(path);
    fs::create_directory(path);
    ExpectStoppedBy(RunCitadel({"--headless", "--no-music", "--data", pack, "--state-log", log}), log, path,
                    "is a folder");
    fs::remove(path);
    // Opening a pipe with no writer would wait for ever.
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    ExpectStoppedBy(RunCitadel({"--headless", "--no-music", "--data", pack, "--state-log", log}), log, path,
                    "is not a file");
    fs::remove(path);

    // Root reads whatever the mode says: run the show as nobody instead.
    std::ofstream(path, std::ios::binary) << e2e::ReadFile(std::string(CITADEL_PACK_DIR) + "/Tittle.MOT");
    fs::permissions(path, fs::perms::none);
    fs::permissions(pack, fs::perms::all);
    e2e::RunResult run;
    if (::geteuid() != 0) {
        run = RunCitadel({"--headless", "--no-music", "--data", pack, "--state-log", log});
    } else if (fs::exists("/usr/bin/setpriv")) {
        run = e2e::Run("/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", CITADEL_EXE,
                                            "--headless", "--no-music", "--data", pack, "--state-log", log});
    } else {
        GTEST_SKIP() << "running as root without setpriv: every file is readable";
    }
    ExpectStoppedBy(run, log, path, "File not found");
}

TEST(BadImages, ImagesCutInsideTheirPixelsPlayWithTheMissingPixelsBlack)
{
    const std::string pack = e2e::CopyPack("cut-pixels");
    const std::string log = pack + "/state.csv";
    const struct {
        const char* where;
        std::uintmax_t (*size)(std::uintmax_t full);
    } cuts[] = {
        {"after the sizes", [](std::uintmax_t) -> std::uintmax_t { return 8; }},
        {"halfway", [](std::uintmax_t full) { return full / 2; }},
        {"one byte short", [](std::uintmax_t full) { return full - 1; }},
    };
    for (const auto& cut : cuts) {
        SCOPED_TRACE(cut.where);
        for (const char* image : Images) {
            const std::string good = e2e::ReadFile(std::string(CITADEL_PACK_DIR) + "/" + image);
            const std::string path = pack + "/" + image;
            std::ofstream(path, std::ios::binary) << good;
            Cut(path, cut.size(good.size()));
        }
        const auto run = RunCitadel({"--headless", "--no-music", "--frames", "30", "--data", pack, "--state-log", log});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const char* image : Images)   // each cut file is named, once
            EXPECT_NE(run.err.find("'" + pack + "/" + image + "' holds"), std::string::npos) << run.err;
        EXPECT_EQ(CameraRows(log).size(), 30u);
    }
}

TEST(BadModule, MissingEmptyCutAndHugeModulesLeaveAQuietCompleteShow)
{
    const std::string good = e2e::ReadFile(std::string(CITADEL_PACK_DIR) + "/morvek.xm");
    constexpr std::uintmax_t Missing = ~std::uintmax_t{0};
    const struct {
        const char* name;
        std::uintmax_t size;   // the module cut or grown (with zeros) to this size
    } cases[] = {
        {"missing", Missing},          {"empty", 0}, {"header cut", 40}, {"patterns cut", good.size() / 3},
        {"one byte short", good.size() - 1}, {"huge", 48u << 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pack = e2e::CopyPack("module");
        if (c.size == Missing)
            fs::remove(pack + "/morvek.xm");
        else
            Cut(pack + "/morvek.xm", c.size);
        const std::string log = pack + "/state.csv";
        const auto run = RunCitadel({"--headless", "--frames", "30", "--data", pack, "--state-log", log},
                                    {{"SDL_AUDIODRIVER", "dummy"}});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(CameraRows(log).size(), 30u);
    }
}

TEST(Faults, AWindowClosedDuringAnInterludeEndsTheShowThroughTheShutdown)
{
    // Frames 532 to 731 are the first interlude.
    const std::string log = e2e::TempFolder("close") + "/state.csv";
    const auto run = RunCitadel({"--headless", "--seed", "3", "--close-at", "600", "--state-log", log},
                                {{"SDL_AUDIODRIVER", "dummy"}});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto rows = CameraRows(log);
    ASSERT_EQ(rows.size(), 600u);
    EXPECT_EQ(rows.back().phase, "interlude");
}

TEST(Faults, AStormOfKeysThroughTheWholeShowKeepsTheCameraFiniteAndInRange)
{
    const std::string log = e2e::TempFolder("storm") + "/state.csv";
    const auto run =
        RunCitadel({"--headless", "--no-music", "--seed", "5", "--key-storm", "20240607", "--state-log", log});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const auto rows = CameraRows(log);
    ASSERT_EQ(rows.size(), 3186u);

    int steered = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CameraRow& r = rows[i];
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        for (double v : {r.x, r.y, r.z, r.yaw, r.pitch}) ASSERT_TRUE(std::isfinite(v));
        ASSERT_GT(r.yaw, -360);
        ASSERT_LT(r.yaw, 360);
        // Keys keep the pitch inside (-90, 90), but the script itself places
        // the camera at -90 and 90 after two interludes, and at 180 in every
        // frame of the final approach.
        if (!(r.phase == "final" && r.pitch == 180)) {
            ASSERT_GE(r.pitch, -90);
            ASSERT_LE(r.pitch, 90);
        }
        if (r.phase == "titles" && (r.y != -5 || r.yaw != 150 || r.pitch != 45)) ++steered;
    }
    EXPECT_GT(steered, 300) << "the storm hardly reached the key handler";
}

} // namespace
