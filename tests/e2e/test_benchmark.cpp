// citadel --benchmark as scripts/bench uses it: every figure present, the
// start-up parts adding up, the floor measured after the show's frames.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

std::map<std::string, double> Figures(const std::string& text)
{
    std::map<std::string, double> figures;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name;
        double value = 0;
        fields >> name >> value;
        figures[name] = value;
    }
    return figures;
}

} // namespace

TEST(Benchmark, PrintsEveryFigureAndWritesTheSameAsJson)
{
    const std::string json = e2e::TempFolder("benchmark") + "/figures.json";
    const auto run = e2e::RunCitadel({"--benchmark", "--frames", "40", "--benchmark-json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("# citadel benchmark: headless, --fps 0, no music; renderer: ", 0), 0u) << run.out;
    auto f = Figures(run.out);

    EXPECT_EQ(f["frames"], 40);
    EXPECT_EQ(f["frame.titles.frames"], 40);
    EXPECT_EQ(f["frame.orbit.frames"], 0);
    EXPECT_EQ(f["floor.frames"], 300);
    for (const char* name :
         {"fps.mean", "frame.all.mean_ms", "frame.titles.p99_ms", "floor.mean_ms", "ratio.show_to_floor",
          "memory.peak_rss_mib", "startup.context_ms", "startup.textures_ms", "startup.lists_ms"})
        EXPECT_GT(f[name], 0) << name;
    EXPECT_GE(f["frame.titles.p99_ms"], f["frame.titles.mean_ms"] * 0.5);

    double parts = 0;
    for (const char* step : {"before_main", "video", "context", "gl_state", "lists", "textures", "terrain_and_lights",
                             "display", "music", "first_pass"})
        parts += f[std::string("startup.") + step + "_ms"];
    EXPECT_NEAR(parts, f["startup.first_frame_ms"], 0.01);

    const std::string written = e2e::ReadFile(json);
    EXPECT_NE(written.find("\"renderer\": \""), std::string::npos) << written;
    EXPECT_NE(written.find("\"frames\": 40,"), std::string::npos) << written;
    EXPECT_NE(written.find("\"ratio.show_to_floor\": "), std::string::npos) << written;
}
