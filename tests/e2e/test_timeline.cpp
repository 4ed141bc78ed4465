// The whole show as scripted, read back from the state log, and reference
// pictures of each phase.
#include "Golden.h"
#include "Run.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct Row {
    int frame;
    std::string phase;
    double camX, camY, camZ, camYaw, camPitch;
    int endRequested, titlesActive, sceneActive, interludeActive, turnCount;
};

std::vector<Row> ReadStateLog(const std::string& path)
{
    std::vector<Row> rows;
    const auto lines = e2e::ReadLines(path);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::istringstream in(lines[i]);
        std::string cell;
        std::vector<std::string> cells;
        while (std::getline(in, cell, ',')) cells.push_back(cell);
        Row r{std::stoi(cells[0]),  cells[1],
              std::stod(cells[2]),  std::stod(cells[3]),
              std::stod(cells[4]),  std::stod(cells[5]),
              std::stod(cells[6]),  std::stoi(cells[7]),
              std::stoi(cells[8]),  std::stoi(cells[9]),
              std::stoi(cells[10]), std::stoi(cells[11])};
        rows.push_back(r);
    }
    return rows;
}

const std::string GoldenDir = std::string(CITADEL_SOURCE_DIR) + "/tests/golden/";

} // namespace

TEST(Timeline, WholeShowRunsItsScriptAndEndsByItself)
{
    const std::string folder = e2e::TempFolder("timeline");
    const auto run = e2e::RunCitadel({"--headless", "--seed", e2e::GoldenSeed, "--state-log", folder + "/log.csv",
                                      "--snapshot", "3100=" + folder + "/final.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = ReadStateLog(folder + "/log.csv");
    ASSERT_EQ(rows.size(), 3186u);

    // Titles: 351 frames from a standing camera.
    for (int f = 0; f < 351; ++f) {
        const Row& r = rows[f];
        ASSERT_EQ(r.phase, "titles") << r.frame;
        ASSERT_EQ(std::vector<double>({r.camX, r.camY, r.camZ, r.camYaw, r.camPitch}),
                  std::vector<double>({-29, -5, 205, 150, 45}))
            << r.frame;
    }
    // Orbit 1 turns from 150 through a whole circle back to 150.
    for (int k = 0; k < 180; ++k) ASSERT_EQ(rows[351 + k].camYaw, (150 + 2 * k) % 360) << rows[351 + k].frame;
    EXPECT_EQ(rows[351 + 180].phase, "interlude");
    EXPECT_EQ(rows[351 + 181].camYaw, 0); // every interlude frame zeroes the camera

    // Each hand-back places the next orbit; the later orbits turn from 0.
    const double placements[7][4] = {{50, -240, 50, -80},  {100, 0, 50, 45},        {100, -200, 400, -20},
                                     {-100, -20, 100, 65}, {-100, -200, -100, -90}, {100, 0, 50, 90},
                                     {0, -80, 0, -70}};
    for (int turn = 1; turn <= 7; ++turn) {
        const int first = 351 + turn * 380; // first frame after interlude `turn`
        const Row& r = rows[first];
        EXPECT_EQ(r.phase, turn < 7 ? "orbit" : "final") << r.frame;
        EXPECT_EQ(r.turnCount, turn);
        EXPECT_EQ(std::vector<double>({r.camX, r.camY, r.camZ, r.camPitch}),
                  std::vector<double>(placements[turn - 1], placements[turn - 1] + 4))
            << "after interlude " << turn;
        EXPECT_EQ(r.camYaw, 0);
        for (int i = 1; i <= 200; ++i) ASSERT_EQ(rows[first - i].phase, "interlude") << rows[first - i].frame;
        if (turn < 7)
            for (int k = 0; k < 180; ++k) ASSERT_EQ(rows[first + k].camYaw, (2 * k) % 360);
    }
    // The final approach: z from 398 down to 52 under a pitch of 180.
    for (int k = 1; k < 175; ++k) {
        const Row& r = rows[3011 + k];
        ASSERT_EQ(r.phase, "final");
        ASSERT_EQ(r.camZ, 400 - 2 * k) << r.frame;
        ASSERT_EQ(r.camPitch, 180);
    }
    EXPECT_EQ(rows.back().camZ, 52);
    EXPECT_EQ(rows.back().endRequested, 0); // set while drawing the last frame, after its log line

    EXPECT_EQ(e2e::CompareWithGolden(folder + "/final.png", GoldenDir + "final-3100.png"), "");
}

TEST(Frames, TitlesOrbitAndInterludeMatchTheirReferencePictures)
{
    const std::string folder = e2e::TempFolder("golden");
    const int frames[] = {1, 251, 420, 640};
    std::vector<std::string> args = {"--headless", "--no-music", "--seed", e2e::GoldenSeed, "--frames", "640"};
    for (int f : frames) {
        args.push_back("--snapshot");
        args.push_back(std::to_string(f) + "=" + folder + "/" + std::to_string(f) + ".png");
    }
    const auto run = e2e::RunCitadel(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const char* names[] = {"title-1.png", "title-251.png", "orbit-420.png", "interlude-640.png"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e2e::CompareWithGolden(folder + "/" + std::to_string(frames[i]) + ".png", GoldenDir + names[i]), "");
}
