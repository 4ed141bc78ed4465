// The music: the call order of the sound library around the module, the
// handle tests, and a module that really sounds and loops on the audio
// thread. Every failure (no file, garbage, no driver) must stay silent.
#include "music/Midas.h"
#include "platform/SoundLib.h"
#include "SquareWaveXm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;
using testxm::SquareWaveModule;

const Calls StartCalls = {"MIDASstartup", "MIDASinit", "MIDASstartBackgroundPlay",
                          "MIDASopenChannels"};
const Calls CloseCalls = {"MIDAScloseChannels", "MIDASstopBackgroundPlay", "MIDASclose"};

Calls Join(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class MidasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        dir = fs::temp_directory_path() / ("citadel-midas-" + std::to_string(getpid()));
        fs::create_directories(dir);
        platform::SetMusicVolume(100);
        platform::ClearSoundLibCalls();
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
        platform::SetMusicVolume(100);
    }

    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    // Starts the library and the module the way start-up does.
    void StartWith(std::string path)
    {
        Midas::MidasStart();
        Midas::MidasPlayModule(path);
    }

    static bool WaitForSound(std::uint64_t samples, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (platform::SoundLibNonSilentSamples() < samples) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    fs::path dir;
};

TEST_F(MidasTest, ModulePlaysLoopsAndStopsInOrder)
{
    StartWith(Write("song.xm", SquareWaveModule()));
    ASSERT_TRUE(platform::SoundLibHasDevice());
    EXPECT_GT(Midas::MusicModule, 0);
    EXPECT_GT(Midas::MusicPlayHandle, 0);

    // One second of stereo sound: twice one pass of the song.
    EXPECT_TRUE(WaitForSound(2 * 48000, std::chrono::seconds(10)))
        << platform::SoundLibNonSilentSamples() << " samples above silence";

    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(),
              Join({StartCalls, {"MIDASloadModule", "MIDASplayModule", "MIDASstopModule",
                                 "MIDASfreeModule"}, CloseCalls}));
    EXPECT_EQ(Midas::MusicModule, 0);
    EXPECT_EQ(Midas::MusicPlayHandle, 0);
    EXPECT_FALSE(platform::SoundLibHasDevice());
}

TEST_F(MidasTest, VolumeScalesTheOutputWhilePlaying)
{
    platform::SetMusicVolume(0);
    StartWith(Write("song.xm", SquareWaveModule()));
    ASSERT_GT(Midas::MusicPlayHandle, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);

    platform::SetMusicVolume(100);
    EXPECT_TRUE(WaitForSound(4800, std::chrono::seconds(5)));
    Midas::MidasStop();
}

TEST_F(MidasTest, UnloadableModulesLeaveOnlyTheLibraryToClose)
{
    auto truncated = SquareWaveModule();
    truncated.resize(60);
    std::vector<std::uint8_t> garbage(4096);
    std::uint32_t seed = 12345;
    for (auto& byte : garbage) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    const std::vector<std::string> paths = {
        (dir / "missing.xm").string(), Write("empty.xm", {}), Write("cut.xm", truncated),
        Write("junk.xm", garbage), dir.string()};

    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        platform::ClearSoundLibCalls();
        StartWith(path);
        EXPECT_EQ(Midas::MusicModule, 0);
        EXPECT_EQ(Midas::MusicPlayHandle, 0);
        Midas::MidasStop();
        EXPECT_EQ(platform::SoundLibCalls(), Join({StartCalls, {"MIDASloadModule"}, CloseCalls}));
    }
}

TEST_F(MidasTest, UnavailableDriverIsSilentAndStillCloses)
{
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);

    StartWith(Write("song.xm", SquareWaveModule()));
    EXPECT_FALSE(platform::SoundLibHasDevice());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(platform::SoundLibNonSilentSamples(), 0u);
    Midas::MidasStop();
    EXPECT_EQ(platform::SoundLibCalls(),
              Join({StartCalls, {"MIDASloadModule", "MIDASplayModule", "MIDASstopModule",
                                 "MIDASfreeModule"}, CloseCalls}));

    if (saved) setenv("SDL_AUDIODRIVER", saved->c_str(), 1);
    else unsetenv("SDL_AUDIODRIVER");

    // The library comes back once a driver is there again.
    StartWith(Write("song.xm", SquareWaveModule()));
    EXPECT_TRUE(platform::SoundLibHasDevice());
    Midas::MidasStop();
}

// ALSA complains on stderr when there is no sound card; none of that may
// reach the user's terminal. Where a card exists it has nothing to say.
TEST_F(MidasTest, AlsaNoiseStaysOffStderr)
{
    const char* before = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = before ? before : "";
    setenv("SDL_AUDIODRIVER", "alsa", 1);

    const auto capture = dir / "stderr.txt";
    std::fflush(stderr);
    const int savedFd = dup(2);
    FILE* sink = std::fopen(capture.c_str(), "w");
    ASSERT_NE(sink, nullptr);
    dup2(fileno(sink), 2);
    StartWith(Write("song.xm", SquareWaveModule()));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Midas::MidasStop();
    std::fflush(stderr);
    dup2(savedFd, 2);
    close(savedFd);
    std::fclose(sink);

    if (before) setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else unsetenv("SDL_AUDIODRIVER");
    EXPECT_EQ(fs::file_size(capture), 0u);
}

} // namespace
