// The player around the show: a start at any frame, seeks and steps land on
// exactly the frame that playing to it draws, with the same state, and a
// pause draws no passes.
#include "Golden.h"
#include "Run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <tuple>

namespace {

struct Outcome {
    e2e::RunResult run;
    std::map<int, std::string> png;   // the snapshots' bytes by frame
    std::vector<int> frames;          // the state log's frame numbers, in order
    std::map<int, std::string> state; // its rows by frame (the last row of each)
};

struct Play {
    std::string name;
    std::vector<int> shots;
    std::vector<std::string> args;
};

// A headless run with the golden seed, snapshots and a state log.
Outcome Played(const Play& play)
{
    const std::string folder = e2e::TempFolder("player-" + play.name);
    std::vector<std::string> args = play.args;
    args.insert(args.end(), {"--headless", "--seed", e2e::GoldenSeed, "--state-log", folder + "/log.csv"});
    for (int shot : play.shots)
        args.insert(args.end(),
                    {"--snapshot", std::to_string(shot) + "=" + folder + "/" + std::to_string(shot) + ".png"});
    Outcome o;
    o.run = e2e::RunCitadel(args);
    if (o.run.status != 0) return o;
    for (int shot : play.shots) o.png[shot] = e2e::ReadFile(folder + "/" + std::to_string(shot) + ".png");
    const auto lines = e2e::ReadLines(folder + "/log.csv");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const int frame = std::stoi(lines[i]);
        o.frames.push_back(frame);
        o.state[frame] = lines[i];
    }
    return o;
}

// Each on its own thread: they are separate programs.
std::vector<Outcome> RunAll(const std::vector<Play>& plays)
{
    std::vector<std::future<Outcome>> running;
    for (const Play& play : plays) running.push_back(std::async(std::launch::async, Played, play));
    std::vector<Outcome> done;
    for (auto& r : running) done.push_back(r.get());
    return done;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> frames;
    for (int f = first; f <= last; ++f) frames.push_back(f);
    return frames;
}

std::vector<int> Joined(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Frame `shot` of run and of the plain run: the same picture and state.
void ExpectSameFrame(const Outcome& plain, const Outcome& run, int shot)
{
    ASSERT_EQ(plain.run.status, 0) << plain.run.err;
    ASSERT_EQ(run.run.status, 0) << run.run.err;
    EXPECT_TRUE(plain.png.at(shot) == run.png.at(shot)) << "frame " << shot << ": the pictures differ";
    EXPECT_EQ(run.state.at(shot), plain.state.at(shot));
}

} // namespace

// Frames in every phase, from starts in the same or an earlier phase (an
// interlude's projection, the lights it turns on, the titles' random tints),
// on both GL paths.
TEST(Player, AStartAtAnyFrameDrawsWhatPlayingToItDraws)
{
    struct Case {
        const char* gl;
        int start, shot;
    };
    const Case cases[] = {{"compat", 150, 200}, {"compat", 300, 400}, {"compat", 600, 640},
                          {"compat", 700, 900}, {"es", 351, 352},     {"es", 731, 733}};
    std::vector<Play> plays;
    for (const char* gl : {"compat", "es"}) {
        Play plain{std::string("plain-") + gl, {}, {"--gl", gl, "--frames", "900"}};
        for (const Case& c : cases)
            if (std::string(c.gl) == gl) plain.shots.push_back(c.shot);
        plays.push_back(plain);
    }
    for (const Case& c : cases)
        plays.push_back({std::string("start-") + c.gl + "-" + std::to_string(c.start),
                         {c.shot},
                         {"--gl", c.gl, "--start", std::to_string(c.start), "--frames", std::to_string(c.shot)}});
    const auto outcomes = RunAll(plays);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(std::string(c.gl) + " --start " + std::to_string(c.start));
        ExpectSameFrame(outcomes[std::string(c.gl) == "compat" ? 0 : 1], outcomes[2 + i], c.shot);
        EXPECT_EQ(outcomes[2 + i].frames, Range(c.start, c.shot));
    }
}

// Camera keys pressed before a seek are kept, whichever way it goes; the
// passes it skips draw nothing and log nothing. The titles' camera carries
// into the first orbit, so the keys show there.
TEST(Player, SeeksKeepTheCameraKeysAndLandOnThePlainRunsFrame)
{
    const std::vector<std::string> keys = {"--key", "10:Left",        "--key", "20:Up",
                                           "--key", "25:Shift+Right", "--key", "40:Page Up"};
    const auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), keys.begin(), keys.end());
        return more;
    };
    const auto outcomes = RunAll({
        {"plain", {450}, with({"--frames", "450"})},
        // ']' at 50: on to 350, the last frame of the titles.
        {"forward", {450}, with({"--key", "50:]", "--frames", "450"})},
        // '[' at 420: back to 120.
        {"back", {450}, with({"--key", "420:[", "--frames", "450"})},
        // A start after the keys: they are pressed on the way.
        {"start", {450}, with({"--start", "300", "--frames", "450"})},
    });
    ExpectSameFrame(outcomes[0], outcomes[1], 450);
    ExpectSameFrame(outcomes[0], outcomes[2], 450);
    ExpectSameFrame(outcomes[0], outcomes[3], 450);
    EXPECT_EQ(outcomes[1].frames, Joined({Range(1, 50), Range(350, 450)}));
    EXPECT_EQ(outcomes[2].frames, Joined({Range(1, 420), Range(120, 450)}));
    // The keys did move the camera.
    EXPECT_NE(outcomes[0].state.at(450), Played({"no-keys", {}, {"--frames", "450"}}).state.at(450));
}

// Paused after frame 300: no pass is drawn while it holds; a step forward
// draws 301, a step back 300 again, and playing on picks up from there.
TEST(Player, APauseDrawsNoPassesAndStepsGoOneFrameEachWay)
{
    const auto outcomes = RunAll({
        {"plain", {320}, {"--frames", "320"}},
        {"paused",
         {320},
         {"--frames", "320", "--key", "300:Space", "--key", "300+20:.", "--key", "301+10:,", "--key", "300+30:Space"}},
    });
    ExpectSameFrame(outcomes[0], outcomes[1], 320);
    EXPECT_EQ(outcomes[1].frames, Joined({Range(1, 301), Range(300, 320)}));
    EXPECT_EQ(outcomes[1].run.err, "");
}

TEST(Player, APauseThatNothingCanEndPlaysOnWithAWarning)
{
    const Outcome o = Played({"stuck", {}, {"--frames", "20", "--key", "10:Space"}});
    ASSERT_EQ(o.run.status, 0) << o.run.err;
    EXPECT_EQ(o.frames, Range(1, 20));
    EXPECT_NE(o.run.err.find("a paused show without a window plays on"), std::string::npos) << o.run.err;
}

// A capture from --start: its first frame is the show's frame N, its sound
// track the full capture's from N's time on, sample for sample.
TEST(Player, ACaptureFromAStartHasThatFrameFirstAndTheMusicFromItsTime)
{
    const std::string full = e2e::TempFolder("capture-full") + "/cap/";
    const std::string late = e2e::TempFolder("capture-late") + "/cap/";
    auto fullRun = std::async(std::launch::async, [&] {
        return e2e::RunCitadel({"--seed", e2e::GoldenSeed, "--frames", "90", "--capture", full});
    });
    const auto lateRun =
        e2e::RunCitadel({"--seed", e2e::GoldenSeed, "--start", "31", "--frames", "90", "--capture", late});
    const auto fullDone = fullRun.get();
    ASSERT_EQ(fullDone.status, 0) << fullDone.err;
    ASSERT_EQ(lateRun.status, 0) << lateRun.err;
    EXPECT_TRUE(e2e::ReadFile(full + "frame-000031.png") == e2e::ReadFile(late + "frame-000001.png"));
    EXPECT_TRUE(e2e::ReadFile(full + "frame-000090.png") == e2e::ReadFile(late + "frame-000060.png"));
    EXPECT_FALSE(std::filesystem::exists(late + "frame-000061.png"));

    const std::string fullWav = e2e::ReadFile(full + "music.wav");
    const std::string lateWav = e2e::ReadFile(late + "music.wav");
    constexpr std::size_t Header = 44, BytesAFrame = 48000 / 60 * 4;
    ASSERT_EQ(fullWav.size(), Header + 90 * BytesAFrame);
    ASSERT_EQ(lateWav.size(), Header + 60 * BytesAFrame);
    EXPECT_TRUE(fullWav.substr(Header + 30 * BytesAFrame) == lateWav.substr(Header));
}

TEST(Player, APlayersKeyInACaptureIsRefused)
{
    const auto run = e2e::RunCitadel({"--capture", e2e::TempFolder("capture-key") + "/x.mp4", "--key", "10:]"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("records the show straight through"), std::string::npos) << run.err;
}
