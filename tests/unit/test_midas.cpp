// The music: the call order of the sound library around the module, the
// handle tests, and a module that really sounds and loops on the audio
// thread. Every failure (no file, garbage, no driver) must stay silent.
#include "music/Midas.h"
#include "platform/SoundLib.h"
#include "SquareWaveXm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

const Calls Start = {"MIDASstartup", "MIDASinit", "MIDASstartBackgroundPlay", "MIDASopenChannels", "MIDASloadModule"};
const Calls Close = {"MIDAScloseChannels", "MIDASstopBackgroundPlay", "MIDASclose"};
const Calls Played = {"MIDASplayModule", "MIDASstopModule", "MIDASfreeModule"};

Calls Join(Calls a, const Calls& b, const Calls& c = {})
{
    for (const Calls* more : {&b, &c}) a.insert(a.end(), more->begin(), more->end());
    return a;
}

class MidasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        dir = fs::temp_directory_path() / ("citadel-midas-" + std::to_string(getpid()));
        fs::create_directories(dir);
        platform::SetMusicVolume(100);
        platform::ClearSoundLibCalls();
    }
    void TearDown() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform::SetMusicVolume(100);
        fs::remove_all(dir);
    }

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

    static bool WaitForSound(std::uint64_t samples)
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (platform::SoundLibNonSilentSamples() < samples && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(20ms);
        return platform::SoundLibNonSilentSamples() >= samples;
    }

    fs::path dir;
};

TEST_F(MidasTest, ModulePlaysAtItsVolumeLoopsAndStopsInOrder)
{
    platform::SetMusicVolume(0);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    ASSERT_TRUE(platform::SoundLibHasDevice());
    EXPECT_GT(Midas::MusicModule, 0);
    EXPECT_GT(Midas::MusicPlayHandle, 0);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);

    // Volume applies while playing. One second of stereo sound: twice one
    // pass of the song.
    platform::SetMusicVolume(100);
    EXPECT_TRUE(WaitForSound(2 * 48000)) << platform::SoundLibNonSilentSamples() << " samples above silence";

    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(), Join(Start, Played, Close));
    EXPECT_EQ(Midas::MusicModule, 0);
    EXPECT_EQ(Midas::MusicPlayHandle, 0);
    EXPECT_FALSE(platform::SoundLibHasDevice());
}

TEST_F(MidasTest, UnloadableModulesLeaveOnlyTheLibraryToClose)
{
    auto cut = testxm::SquareWaveModule();
    cut.resize(60);
    std::vector<std::uint8_t> garbage(4096);
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    for (const auto& path : {(dir / "missing.xm").string(), Write("empty.xm", {}), Write("cut.xm", cut),
                             Write("junk.xm", garbage), dir.string()}) {
        SCOPED_TRACE(path);
        platform::ClearSoundLibCalls();
        StartWith(path);
        EXPECT_EQ(Midas::MusicModule, 0);
        EXPECT_EQ(Midas::MusicPlayHandle, 0);
        Midas::MidasStop();
        EXPECT_EQ(platform::SoundLibCalls(), Join(Start, Close));
    }
}

// ALSA's noise on stderr is checked by the whole-program runs.
TEST_F(MidasTest, AnUnavailableDriverIsSilentAndStillCloses)
{
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    EXPECT_FALSE(platform::SoundLibHasDevice());
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);
    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(), Join(Start, Played, Close));

    // The library comes back once a driver is there again.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    StartWith(Write("song.xm", testxm::SquareWaveModule()));
    EXPECT_TRUE(platform::SoundLibHasDevice());
    Midas::MidasStop();
}

} // namespace
