// Whole headless shows with typed keys, and with music that cannot play:
// keys reach the camera through the real event queue, and no failure of
// the sound side shows up in the run's status or on its terminal.
#include "e2e/Run.h"
#include "unit/SquareWaveXm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
constexpr double TenDigitPi = 3.141592654;

struct Camera {
    double x, y, z, yaw, pitch;
};

// The state log: one row per frame, the values at the start of that frame.
class StateLog {
public:
    explicit StateLog(const std::string& path)
    {
        const auto lines = e2e::ReadLines(path);
        if (lines.empty()) return;
        const auto header = Split(lines[0]);
        for (std::size_t i = 0; i < header.size(); ++i) columns_[header[i]] = i;
        for (std::size_t i = 1; i < lines.size(); ++i) rows_.push_back(Split(lines[i]));
    }
    std::size_t Frames() const { return rows_.size(); }
    const std::string& Text(std::size_t frame, const std::string& column) const
    {
        return rows_.at(frame - 1).at(columns_.at(column));
    }
    double Number(std::size_t frame, const std::string& column) const { return std::stod(Text(frame, column)); }
    Camera CameraAt(std::size_t frame) const
    {
        return {Number(frame, "CamX"), Number(frame, "CamY"), Number(frame, "CamZ"), Number(frame, "CamYaw"),
                Number(frame, "CamPitch")};
    }

private:
    static std::vector<std::string> Split(const std::string& line)
    {
        std::vector<std::string> cells;
        std::stringstream in(line);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        return cells;
    }
    std::map<std::string, std::size_t> columns_;
    std::vector<std::vector<std::string>> rows_;
};

void ExpectCamera(const Camera& seen, const Camera& expected, std::size_t frame)
{
    SCOPED_TRACE("frame " + std::to_string(frame));
    EXPECT_NEAR(seen.x, expected.x, 1e-9);
    EXPECT_NEAR(seen.y, expected.y, 1e-9);
    EXPECT_NEAR(seen.z, expected.z, 1e-9);
    EXPECT_EQ(seen.yaw, expected.yaw);
    EXPECT_EQ(seen.pitch, expected.pitch);
}

std::vector<std::string> Show(const std::string& log, int frames, std::vector<std::string> more = {})
{
    std::vector<std::string> args = {"--headless", "--seed", "1", "--state-log", log};
    if (frames > 0) {
        args.push_back("--frames");
        args.push_back(std::to_string(frames));
    }
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(KeysEndToEnd, TypedKeysSteerTheCameraFromTheNextFrame)
{
    const std::string log = e2e::TempFolder("keys") + "/state.csv";
    const auto run = e2e::RunCitadel(Show(log, 10, {
        "--key", "1:Left",            // yaw 150 -> 160
        "--key", "2:Shift+Left",      // step left along heading 160
        "--key", "3:Up", "--key", "3:E",  // two keys in one pump both apply
        "--key", "4:PageUp",          // pitch 45 -> 55
        "--key", "5:Ctrl+Shift+Right",  // not Shift alone: turns, 160 -> 150
        "--key", "6:Down",
        "--key", "7:R",
        "--key", "8:PageDown", "--key", "8:PageDown",
        "--key", "9:Q",               // no row: nothing
    }));
    ASSERT_EQ(run.status, 0) << run.err;
    const StateLog state(log);
    ASSERT_EQ(state.Frames(), 10u);

    Camera cam{-29, -5, 205, 150, 45};
    auto heading = [&] { return cam.yaw * (TenDigitPi / 180); };
    std::vector<Camera> expected = {cam};
    cam.yaw = 160;
    expected.push_back(cam);
    cam.z += 2 * std::cos(heading() + TenDigitPi / 2);
    cam.x += 2 * std::sin(heading() + TenDigitPi / 2);
    expected.push_back(cam);
    cam.z += 4 * std::cos(heading());
    cam.x += 4 * std::sin(heading());
    cam.y -= 5;
    expected.push_back(cam);
    cam.pitch = 55;
    expected.push_back(cam);
    cam.yaw = 150;
    expected.push_back(cam);
    cam.z -= 4 * std::cos(heading());
    cam.x -= 4 * std::sin(heading());
    expected.push_back(cam);
    cam.y += 5;
    expected.push_back(cam);
    cam.pitch = 35;
    expected.push_back(cam);
    expected.push_back(cam);

    for (std::size_t frame = 1; frame <= expected.size(); ++frame) {
        ExpectCamera(state.CameraAt(frame), expected[frame - 1], frame);
        EXPECT_EQ(state.Text(frame, "phase"), "titles");
        EXPECT_EQ(state.Text(frame, "EndRequested"), "0");
    }
}

TEST(KeysEndToEnd, EscapeDuringTheTitlesEndsAfterThatFrame)
{
    const std::string log = e2e::TempFolder("escape") + "/state.csv";
    const auto run = e2e::RunCitadel(Show(log, 0, {"--key", "25:Escape", "--key", "25:Left"}));
    EXPECT_EQ(run.status, 0) << run.err;
    const StateLog state(log);
    ASSERT_EQ(state.Frames(), 25u);
    EXPECT_EQ(state.Text(25, "phase"), "titles");
    EXPECT_EQ(state.Text(25, "EndRequested"), "0");
    EXPECT_EQ(run.err, "");
}

void WriteModule(const std::string& folder, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(fs::path(folder) / "morvek.xm", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The sound side may fail in every way it can, or play and be stopped while
// it sounds; the show still runs to its last frame, ends with status 0 and
// prints nothing. ALSA with no sound card (as on build machines) is loud on
// stderr unless kept quiet; with a card it plays.
TEST(MusicEndToEnd, EveryFailureLeavesACompleteQuietRun)
{
    std::vector<std::uint8_t> junk(3000);
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    const struct {
        const char* name;
        std::vector<std::uint8_t> module;   // empty: no morvek.xm at all
        const char* driver;
    } cases[] = {
        {"garbage", junk, "dummy"},
        {"missing", {}, "dummy"},
        {"nodriver", testxm::SquareWaveModule(), "nonexistent"},
        {"alsa", testxm::SquareWaveModule(), "alsa"},
        {"playing", testxm::SquareWaveModule(), "dummy"},
    };
    constexpr int Frames = 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pack = e2e::CopyPack(c.name);
        fs::remove(fs::path(pack) / "morvek.xm");
        if (!c.module.empty()) WriteModule(pack, c.module);
        const std::string log = e2e::TempFolder(std::string(c.name) + "-log") + "/state.csv";
        const auto run = e2e::RunCitadel(Show(log, Frames, {"--data", pack, "--volume", "50"}),
                                         {{"SDL_AUDIODRIVER", c.driver}});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(StateLog(log).Frames(), static_cast<std::size_t>(Frames));
    }
}

} // namespace
