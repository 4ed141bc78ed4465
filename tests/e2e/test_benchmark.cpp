// citadel --benchmark as scripts/bench uses it: every figure of both paths
// present, each path's start-up parts adding up, the floor measured after
// the show's frames, and the two paths compared.
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

TEST(Benchmark, TimesBothPathsAndWritesTheSameAsJson)
{
    const std::string json = e2e::TempFolder("benchmark") + "/figures.json";
    const auto run = e2e::RunCitadel({"--benchmark", "--frames", "40", "--benchmark-json", json});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("# citadel benchmark: headless, --fps 0, no music; renderer: ", 0), 0u) << run.out;
    auto f = Figures(run.out);

    EXPECT_GT(f["startup.before_main_ms"], 0);
    for (const std::string path : {"compat.", "es."}) {
        EXPECT_EQ(f[path + "frames"], 40) << path;
        EXPECT_EQ(f[path + "frame.titles.frames"], 40) << path;
        EXPECT_EQ(f[path + "frame.orbit.frames"], 0) << path;
        EXPECT_EQ(f[path + "floor.frames"], 300) << path;
        for (const char* name :
             {"fps.mean", "frame.all.mean_ms", "frame.titles.p99_ms", "floor.mean_ms", "ratio.show_to_floor",
              "memory.peak_rss_mib", "startup.context_ms", "startup.textures_ms", "startup.lists_ms"})
            EXPECT_GT(f[path + name], 0) << path << name;
        EXPECT_GE(f[path + "frame.titles.p99_ms"], f[path + "frame.titles.mean_ms"] * 0.5) << path;

        double parts = 0;
        for (const char* step : {"video", "context", "gl_state", "lists", "textures", "terrain_and_lights", "display",
                                 "music", "first_pass"})
            parts += f[path + "startup." + step + "_ms"];
        EXPECT_NEAR(parts, f[path + "startup.first_frame_ms"], 0.01) << path;
    }
    EXPECT_NEAR(f["ratio.es_to_compat.frame.all"], f["es.frame.all.mean_ms"] / f["compat.frame.all.mean_ms"], 0.01);
    EXPECT_GT(f["ratio.es_to_compat.floor"], 0);

    const std::string written = e2e::ReadFile(json);
    EXPECT_NE(written.find("\"renderer\": \""), std::string::npos) << written;
    EXPECT_NE(written.find("\"es.frames\": 40,"), std::string::npos) << written;
    EXPECT_NE(written.find("\"ratio.es_to_compat.frame.all\": "), std::string::npos) << written;
}

TEST(Benchmark, GlPicksOnePath)
{
    const auto run = e2e::RunCitadel({"--benchmark", "--frames", "5", "--gl", "es"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto f = Figures(run.out);
    EXPECT_EQ(f["es.frames"], 5);
    EXPECT_EQ(run.out.find("compat."), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("ratio.es_to_compat"), std::string::npos) << run.out;
}
