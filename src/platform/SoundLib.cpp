// The sound library over libopenmpt and one SDL2 audio device.
//
// Entry points a port provides: MIDASstartup, MIDASinit,
// MIDASstartBackgroundPlay, MIDASopenChannels, MIDASloadModule,
// MIDASplayModule, MIDASstopModule, MIDASfreeModule, MIDAScloseChannels,
// MIDASstopBackgroundPlay, MIDASclose.
//
// Threads: every entry point runs on the show's thread. Once the device is
// unpaused the playing module belongs to the audio callback; the show's
// thread touches it only under SDL_LockAudioDevice, and the device is closed
// (which ends the callback thread) before any module is destroyed.
#include "platform/SoundLib.h"

#include "platform/App.h"

#include "testing/Testing.h"

#include <SDL.h>
#include <libopenmpt/libopenmpt.hpp>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <unistd.h>

namespace platform {

namespace {

constexpr int SampleRate = 48000;
constexpr int Channels = 2;
constexpr Uint16 BufferFrames = 1024;
// Below this a sample counts as silence (the module's own noise floor is far
// above it; the zero-fill of an idle device is exactly 0).
constexpr float SilenceLevel = 1.0e-4f;

// Swallows libopenmpt's load and playback messages: they are not the show's.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(&buffer_) {}

private:
    NullBuffer buffer_;
};

struct LoadedModule {
    NullStream log; // outlives the module that writes to it
    std::unique_ptr<openmpt::module> module;
};

struct SoundState {
    bool audioInit = false; // our SDL_InitSubSystem(SDL_INIT_AUDIO) succeeded
    SDL_AudioDeviceID device = 0;
    int deviceRate = SampleRate;
    std::map<std::int32_t, std::unique_ptr<LoadedModule>> modules;
    std::int32_t nextModule = 1;
    std::int32_t nextPlay = 1;
    std::int32_t playHandle = 0; // the play handle of the module now playing
    std::int32_t playModule = 0;
    // Read by the callback, written only under the device lock.
    openmpt::module* playing = nullptr;
    std::atomic<int> volume{100};
    bool enabled = true;
    std::atomic<std::uint64_t> nonSilent{0};
    std::vector<std::string> calls;
};

// Never destroyed: the audio thread may still run while the program exits
// after a run-time error; the exit hook closes the device first.
SoundState& State()
{
    static SoundState* state = new SoundState;
    return *state;
}

void Trace(const char* name)
{
    State().calls.emplace_back(name);
}

// ALSA writes its complaints (no card, underruns) to stderr from wherever it
// runs, the audio thread included; its own error hook is the one way to
// silence that. SDL loads the same libasound, so the hook holds for it too.
extern "C" void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa()
{
    static bool done = false;
    if (done) return;
    done = true;
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler"));
    if (set != nullptr) set(&SilentAlsaError);
    // The library stays loaded: the hook points into this program.
}

// Sends stderr to /dev/null while audio back ends are probed, opened and
// closed: other sound servers' client libraries print there too.
class QuietStderr {
public:
    QuietStderr()
    {
        std::fflush(stderr);
        saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
        if (null >= 0) close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

void AudioCallback(void* userdata, Uint8* stream, int len)
{
    auto& state = *static_cast<SoundState*>(userdata);
    auto* out = reinterpret_cast<float*>(stream);
    const std::size_t frames = static_cast<std::size_t>(len) / (Channels * sizeof(float));
    std::size_t done = 0;
    if (state.playing != nullptr) {
        try {
            while (done < frames) {
                const std::size_t n =
                    state.playing->read_interleaved_stereo(state.deviceRate, frames - done, out + done * Channels);
                if (n == 0) break; // a module played without looping has ended
                done += n;
            }
        } catch (...) {
            // A module that fails while rendering falls silent; the show goes on.
            state.playing = nullptr;
        }
    }
    for (std::size_t i = done * Channels; i < frames * Channels; ++i) out[i] = 0.0f;

    const float gain = static_cast<float>(state.volume.load(std::memory_order_relaxed)) / 100.0f;
    std::uint64_t loud = 0;
    for (std::size_t i = 0; i < frames * Channels; ++i) {
        out[i] *= gain;
        if (std::fabs(out[i]) > SilenceLevel) ++loud;
    }
    if (loud != 0) state.nonSilent.fetch_add(loud, std::memory_order_relaxed);
}

// Runs a change to what the callback reads with the callback held off.
template <typename Change>
void WithDeviceLocked(Change&& change)
{
    auto& state = State();
    if (state.device != 0) SDL_LockAudioDevice(state.device);
    change();
    if (state.device != 0) SDL_UnlockAudioDevice(state.device);
}

void CloseDevice()
{
    auto& state = State();
    if (state.device != 0) {
        QuietStderr quiet;
        SDL_CloseAudioDevice(state.device);
        state.device = 0;
    }
    state.playing = nullptr;
}

// A program that ends without MIDASclose (a run-time error) must not leave
// the callback reading a module while the exit code tears libraries down.
void CloseAtExit()
{
    CloseDevice();
}

} // namespace

int MIDASstartup()
{
    Trace("MIDASstartup");
    auto& state = State();
    state.playing = nullptr;
    state.playHandle = 0;
    state.playModule = 0;
    return 1;
}

int MIDASinit()
{
    Trace("MIDASinit");
    auto& state = State();
    state.nonSilent = 0;
    if (!state.enabled) return 0;
    if (state.audioInit) return state.device != 0 ? 1 : 0;
    SilenceAlsa();

    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    state.audioInit = true;

    SDL_AudioSpec want{};
    want.freq = SampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = Channels;
    want.samples = BufferFrames;
    want.callback = AudioCallback;
    want.userdata = &state;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // callback always fills 48 kHz float stereo.
    state.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (state.device == 0) return 0;
    state.deviceRate = have.freq;

    static bool hooked = false;
    if (!hooked) hooked = std::atexit(CloseAtExit) == 0;
    return 1;
}

int MIDASstartBackgroundPlay(int)
{
    Trace("MIDASstartBackgroundPlay");
    auto& state = State();
    if (state.device == 0) return 0;
    SDL_PauseAudioDevice(state.device, 0);
    return 1;
}

int MIDASopenChannels(int numChannels)
{
    Trace("MIDASopenChannels");
    // libopenmpt mixes as many voices as a module needs; nothing to reserve.
    return numChannels > 0 ? 1 : 0;
}

MIDASmodule MIDASloadModule(const char* fileName)
{
    Trace("MIDASloadModule");
    if (fileName == nullptr || !State().enabled) return 0;
    // The show goes on silently without its music, as it always did; but a
    // viewer who hears nothing is told why, as a capture's maker is.
    const auto silent = [fileName](const std::string& why) {
        Warn(std::string("the music '") + fileName + "' cannot be played (" + why + "); the show plays silently");
        return 0;
    };
    std::vector<std::uint8_t> data;
    std::string why;
    if (!ReadModuleFile(fileName, data, why)) return silent(why);

    auto loaded = std::make_unique<LoadedModule>();
    try {
        loaded->module = std::make_unique<openmpt::module>(data, loaded->log);
    } catch (...) {
        return silent("it is not a module the sound library can read");
    }
    auto& state = State();
    const std::int32_t handle = state.nextModule++;
    state.modules.emplace(handle, std::move(loaded));
    return handle;
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, int loopSong)
{
    Trace("MIDASplayModule");
    auto& state = State();
    const auto it = state.modules.find(module);
    if (it == state.modules.end()) return 0;
    openmpt::module* mod = it->second->module.get();

    const std::int32_t handle = state.nextPlay++;
    bool ok = true;
    WithDeviceLocked([&] {
        try {
            mod->set_repeat_count(loopSong != 0 ? -1 : 0);
            mod->set_position_order_row(0, 0);
        } catch (...) {
            ok = false;
            return;
        }
        state.playing = mod;
    });
    if (!ok) return 0;
    state.playHandle = handle;
    state.playModule = module;
    return handle;
}

int MIDASstopModule(MIDASmodulePlayHandle playHandle)
{
    Trace("MIDASstopModule");
    auto& state = State();
    if (playHandle <= 0 || playHandle != state.playHandle) return 0;
    WithDeviceLocked([&] { state.playing = nullptr; });
    state.playHandle = 0;
    state.playModule = 0;
    return 1;
}

int MIDASfreeModule(MIDASmodule module)
{
    Trace("MIDASfreeModule");
    auto& state = State();
    const auto it = state.modules.find(module);
    if (it == state.modules.end()) return 0;
    if (state.playModule == module) {
        WithDeviceLocked([&] { state.playing = nullptr; });
        state.playHandle = 0;
        state.playModule = 0;
    }
    // The callback no longer sees it, so it can go now.
    state.modules.erase(it);
    return 1;
}

int MIDAScloseChannels()
{
    Trace("MIDAScloseChannels");
    return 1;
}

int MIDASstopBackgroundPlay()
{
    Trace("MIDASstopBackgroundPlay");
    auto& state = State();
    if (state.device == 0) return 0;
    // Returns with the callback finished and not called again.
    SDL_PauseAudioDevice(state.device, 1);
    return 1;
}

int MIDASclose()
{
    Trace("MIDASclose");
    auto& state = State();
    CloseDevice();
    state.modules.clear();
    state.playHandle = 0;
    state.playModule = 0;
    if (state.audioInit) {
        QuietStderr quiet;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        state.audioInit = false;
    }
    return 1;
}

void SetMusicVolume(int percent)
{
    State().volume = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
}

void SetMusicEnabled(bool enabled)
{
    State().enabled = enabled;
}

void PauseMusic(bool paused)
{
    auto& state = State();
    if (state.device != 0) SDL_PauseAudioDevice(state.device, paused ? 1 : 0);
}

void SetMusicTime(double seconds)
{
    WithDeviceLocked([&] {
        auto& state = State();
        if (state.playing == nullptr) return;
        try {
            state.playing->set_position_seconds(seconds);
        } catch (...) {
            state.playing = nullptr; // as a module that fails while rendering
        }
    });
}

double MusicTime()
{
    double seconds = -1;
    WithDeviceLocked([&] {
        auto& state = State();
        if (state.playing != nullptr) seconds = state.playing->get_position_seconds();
    });
    return seconds;
}

const std::vector<std::string>& SoundLibCalls()
{
    return State().calls;
}

void ClearSoundLibCalls()
{
    State().calls.clear();
}

std::uint64_t SoundLibNonSilentSamples()
{
    return State().nonSilent.load();
}

bool SoundLibHasDevice()
{
    return State().device != 0;
}

} // namespace platform
