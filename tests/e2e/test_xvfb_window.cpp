// The show in a real X11 window under Xvfb, driven by xdotool: see
// xvfb_window.sh beside this file for what is pressed and checked.
#include "e2e/Run.h"

#include <gtest/gtest.h>

TEST(RealWindow, TypedKeysSteerTheShowBetweenBarsAndEscapeEndsIt)
{
    const std::string work = e2e::TempFolder("xvfb-window");
    const std::string script = std::string(CITADEL_SOURCE_DIR) + "/tests/e2e/xvfb_window.sh";
    const auto run = e2e::Run("/bin/bash", {script, e2e::CitadelExe(), work},
                              {{"SDL_AUDIODRIVER", "dummy"}, {"SDL_VIDEODRIVER", ""}});
    if (run.status == 77) GTEST_SKIP() << run.err;
    EXPECT_EQ(run.status, 0) << run.err << "\n(pictures and logs in " << work << ")";
}

// Started without a terminal (stdin and stderr are files here), as from the
// desktop, a start-up error must reach the user in a box, not only on stderr.
TEST(RealWindow, AStartUpErrorWithoutATerminalShowsAMessageBoxThatReturnCloses)
{
    const std::string work = e2e::TempFolder("xvfb-box");
    const std::string script = std::string(CITADEL_SOURCE_DIR) + "/tests/e2e/xvfb_window.sh";
    const auto run = e2e::Run("/bin/bash", {script, e2e::CitadelExe(), work, "box"},
                              {{"SDL_AUDIODRIVER", "dummy"}, {"SDL_VIDEODRIVER", ""}});
    if (run.status == 77) GTEST_SKIP() << run.err;
    EXPECT_EQ(run.status, 0) << run.err << "\n(logs in " << work << ")";
}
