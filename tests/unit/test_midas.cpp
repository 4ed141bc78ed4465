// The music: the call order of the sound library around the module, and a
// module that really sounds and loops on the audio thread.
#include "SquareWaveXm.h"
#include "music/Midas.h"
#include "platform/MusicRender.h"
#include "platform/SoundLib.h"
#include "testing/Testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

// Without a module only the library is closed; with one it is stopped and freed first.
const Calls Unplayed = {"MIDASstartup",    "MIDASinit",          "MIDASstartBackgroundPlay", "MIDASopenChannels",
                        "MIDASloadModule", "MIDAScloseChannels", "MIDASstopBackgroundPlay",  "MIDASclose"};
const Calls Played = [] {
    Calls calls = Unplayed;
    calls.insert(calls.begin() + 5, {"MIDASplayModule", "MIDASstopModule", "MIDASfreeModule"});
    return calls;
}();

class MidasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform::SetMusicVolume(100);
        fs::create_directories(dir);
        platform::ClearSoundLibCalls();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (dir / name).string();
    }

    // Starts the library and the module the way start-up does.
    static void StartWith(std::string path)
    {
        Midas::MidasStart();
        Midas::MidasPlayModule(path);
    }

    static std::vector<int> Handles() { return {Midas::MusicModule, Midas::MusicPlayHandle}; }

    fs::path dir = fs::temp_directory_path() / ("citadel-midas-" + std::to_string(getpid()));
};

TEST_F(MidasTest, ModulePlaysAtItsVolumeLoopsAndStopsInOrder)
{
    platform::SetMusicVolume(0);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    ASSERT_TRUE(platform::SoundLibHasDevice());
    EXPECT_TRUE(Midas::MusicModule > 0 && Midas::MusicPlayHandle > 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);

    // Volume applies while playing. One second of stereo is two passes of the song.
    platform::SetMusicVolume(100);
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (platform::SoundLibNonSilentSamples() < 2 * 48000 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    EXPECT_GE(platform::SoundLibNonSilentSamples(), 2u * 48000);

    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(), Played);
    EXPECT_EQ(Handles(), (std::vector<int>{0, 0}));
    EXPECT_FALSE(platform::SoundLibHasDevice());
}

TEST_F(MidasTest, PausedMusicHoldsItsPlaceAndATimeMovesIt)
{
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    ASSERT_TRUE(platform::SoundLibHasDevice());
    platform::PauseMusic(true);
    platform::SetMusicTime(0.25);
    const double held = platform::MusicTime();
    EXPECT_NEAR(held, 0.25, 0.15); // the module goes to a row's start: a row here is 0.12 s
    const auto loud = platform::SoundLibNonSilentSamples();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(platform::MusicTime(), held);
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), loud);

    platform::PauseMusic(false);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (platform::MusicTime() == held && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(10ms);
    EXPECT_NE(platform::MusicTime(), held);
    Midas::MidasStop();
    EXPECT_EQ(platform::MusicTime(), -1);
}

TEST_F(MidasTest, UnloadableModulesLeaveOnlyTheLibraryToClose)
{
    const auto song = testxm::SquareWaveModule();
    for (const auto& path : {(dir / "missing.xm").string(), Write("empty.xm", {}), dir.string(),
                             Write("cut.xm", {song.begin(), song.begin() + 60}),
                             Write("junk.xm", std::vector<std::uint8_t>(4096, 0xA5))}) {
        SCOPED_TRACE(path);
        platform::ClearSoundLibCalls();
        StartWith(path);
        EXPECT_EQ(Handles(), (std::vector<int>{0, 0}));
        Midas::MidasStop();
        EXPECT_EQ(platform::SoundLibCalls(), Unplayed);
    }
}

TEST_F(MidasTest, AnUnavailableDriverIsSilentAndStillCloses)
{
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    EXPECT_FALSE(platform::SoundLibHasDevice());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);
    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(), Played);

    // The library comes back once a driver is there again.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    EXPECT_TRUE(platform::SoundLibHasDevice());
    Midas::MidasStop();
}

// What RenderMusic hands over, whole.
std::vector<std::int16_t> Rendered(const std::string& path, std::uint64_t frames, std::uint64_t skip, bool& played)
{
    std::vector<std::int16_t> all;
    std::string why;
    played = platform::RenderMusic(
        path, frames, 100,
        [&](const std::int16_t* samples, std::size_t count) { all.insert(all.end(), samples, samples + 2 * count); },
        why, skip);
    return all;
}

// A show that starts later takes its music from a later point: skipping K
// sample frames gives the tail of a render from the start, sample for
// sample, across render blocks and the song's loop (23040 frames a pass).
TEST_F(MidasTest, RenderedMusicAfterASkipIsTheTailOfTheWholeRender)
{
    const std::string song = Write("song.xm", testxm::SquareWaveModule());
    constexpr std::uint64_t Frames = 30000;
    bool played = false;
    const auto whole = Rendered(song, Frames + 50000, 0, played);
    ASSERT_TRUE(played);
    ASSERT_EQ(whole.size(), 2 * (Frames + 50000));
    for (const std::uint64_t skip : {1u, 4095u, 4096u, 4097u, 23040u + 333u, 50000u}) {
        SCOPED_TRACE(skip);
        const auto tail = Rendered(song, Frames, skip, played);
        EXPECT_TRUE(played);
        ASSERT_EQ(tail.size(), 2 * Frames);
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), whole.begin() + static_cast<std::ptrdiff_t>(2 * skip)));
    }
    // A module that cannot be read: the frames asked for, silent, whatever the skip.
    const auto silent = Rendered((dir / "missing.xm").string(), 100, 5000, played);
    EXPECT_FALSE(played);
    EXPECT_EQ(silent, std::vector<std::int16_t>(200, 0));
}

} // namespace
