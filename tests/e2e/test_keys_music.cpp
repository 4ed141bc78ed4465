// A whole headless show with typed keys and the music on: keys reach the
// camera through the real event queue. (Music failures: test_robustness.)
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

namespace {

constexpr double TenDigitPi = 3.141592654;

// The state log as rows of cells; row 0 is the header.
std::vector<std::vector<std::string>> ReadLog(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& line : e2e::ReadLines(path)) {
        std::stringstream in(line);
        rows.emplace_back();
        for (std::string cell; std::getline(in, cell, ',');) rows.back().push_back(cell);
    }
    return rows;
}

std::vector<std::string> Show(const std::string& log, std::vector<std::string> more)
{
    more.insert(more.begin(), {"--headless", "--seed", "1", "--volume", "50", "--state-log", log});
    return more;
}

// One run with the music playing: keys steer the camera from the next frame,
// and Escape during the titles ends the show after that frame, exit 0.
TEST(KeysEndToEnd, TypedKeysSteerTheCameraAndEscapeEndsTheTitles)
{
    const std::string log = e2e::TempFolder("keys") + "/state.csv";
    const auto run = e2e::RunCitadel(Show(log, {
                                                   "--key", "1:Left",       // yaw 150 -> 160
                                                   "--key", "2:Shift+Left", // step left along heading 160
                                                   "--key", "3:Up",
                                                   "--key", "3:E",                // two keys in one pump both apply
                                                   "--key", "4:PageUp",           // pitch 45 -> 55
                                                   "--key", "5:Ctrl+Shift+Right", // not Shift alone: turns, 160 -> 150
                                                   "--key", "6:Down",
                                                   "--key", "7:R",
                                                   "--key", "8:PageDown",
                                                   "--key", "8:PageDown",
                                                   "--key", "9:Q", // no row: nothing
                                                   "--key", "25:Escape",
                                                   "--key", "25:Left",
                                               }));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const auto rows = ReadLog(log);
    ASSERT_EQ(rows.size(), 26u);
    ASSERT_EQ(rows[0][1] + rows[0][2] + rows[0][6] + rows[0][7], "phaseCamXCamPitchEndRequested");

    double x = -29, y = -5, z = 205, yaw = 150, pitch = 45;
    const auto step = [&](double length, double turn) {
        x += length * std::sin(yaw * (TenDigitPi / 180) + turn);
        z += length * std::cos(yaw * (TenDigitPi / 180) + turn);
    };
    const std::function<void()> keys[] = {[] {},
                                          [&] { yaw = 160; },
                                          [&] { step(2, TenDigitPi / 2); },
                                          [&] {
                                              step(4, 0);
                                              y -= 5;
                                          },
                                          [&] { pitch = 55; },
                                          [&] { yaw = 150; },
                                          [&] { step(-4, 0); },
                                          [&] { y += 5; },
                                          [&] { pitch = 35; },
                                          [] {}};
    for (std::size_t frame = 1; frame < rows.size(); ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        if (frame <= std::size(keys)) keys[frame - 1]();
        const auto& r = rows[frame];
        EXPECT_NEAR(std::stod(r[2]), x, 1e-9);
        EXPECT_NEAR(std::stod(r[3]), y, 1e-9);
        EXPECT_NEAR(std::stod(r[4]), z, 1e-9);
        EXPECT_EQ(std::stod(r[5]), yaw);
        EXPECT_EQ(std::stod(r[6]), pitch);
        EXPECT_EQ(r[1] + r[7], "titles0");
    }
}

} // namespace
