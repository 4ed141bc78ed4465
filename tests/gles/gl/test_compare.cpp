// Each scene drawn by the driver's fixed function and by the renderer must
// come out the same to within what the whole show is held to: at most 0.5% of
// pixels more than one 5/6/5 step apart, at most 10% apart at all.
#include "Harness.h"
#include "Scenes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace glestest {
namespace {

class SceneComparison : public ::testing::TestWithParam<Scene> {};

TEST_P(SceneComparison, MatchesTheDriversFixedFunction)
{
    const Scene& scene = GetParam();
    const auto driver = DrawWithDriver(scene.draw);
    const auto renderer = DrawWithRenderer(scene.draw);
    const Difference d = Compare(driver, renderer);
    std::printf("%-14s %.3f%% beyond one step, %.3f%% differing, worst %d\n", scene.name, 100 * d.beyondStep,
                100 * d.differing, d.worst);
    const bool close = d.beyondStep <= 0.005 && d.differing <= 0.10;
    EXPECT_TRUE(close) << "frames written to " << WriteFrames(scene.name, driver, renderer);
    if (close && std::getenv("CITADEL_GLES_FRAMES"))
        std::printf("frames written to %s\n", WriteFrames(scene.name, driver, renderer).c_str());
    // A scene that draws nothing would compare equal and prove nothing.
    const auto blank = DrawWithDriver([](const glapi::Gl11& gl) {
        gl.ClearColor(0.05f, 0.1f, 0.15f, 0);
        gl.Clear(0x4000);
    });
    EXPECT_GT(Compare(driver, blank).differing, 0.05) << scene.name << " draws almost nothing";
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneComparison, ::testing::ValuesIn(ListScenes()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace glestest
