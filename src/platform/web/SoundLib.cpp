// The sound library in the browser: libopenmpt's own WebAssembly build in an
// AudioWorklet (the page's citadelAudio), behind the same eleven entry
// points. The module's bytes come from the in-memory file system, read by
// the same rules as natively, and are copied to the page. Every failure (no
// audio, no worklet, a module the player refuses) is silent: the show goes
// on without music.
#include "platform/SoundLib.h"

#include <emscripten/emscripten.h>

#include <set>

namespace platform {

namespace {

// clang-format off
EM_JS(int, AudioCall, (const char* method, int a, int b), {
    try {
        const audio = window.citadelAudio;
        const result = audio ? audio[UTF8ToString(method)](a, b) : 0;
        return typeof result === 'number' ? result : 0;
    } catch (e) {
        return 0;
    }
});

EM_JS(int, AudioLoad, (const std::uint8_t* bytes, int size), {
    try {
        return window.citadelAudio ? window.citadelAudio.load(HEAPU8.slice(bytes, bytes + size)) : 0;
    } catch (e) {
        return 0;
    }
});
// clang-format on

struct SoundState {
    bool enabled = true;
    int volume = 100;
    bool device = false;
    std::set<MIDASmodule> modules;
    MIDASmodulePlayHandle playHandle = 0;
    MIDASmodule playModule = 0;
    std::int32_t nextPlay = 1;
};

SoundState state;

} // namespace

int MIDASstartup()
{
    state.playHandle = 0;
    state.playModule = 0;
    return 1;
}

int MIDASinit()
{
    if (!state.enabled) return 0;
    state.device = AudioCall("init", 0, 0) != 0;
    if (state.device) AudioCall("setVolume", state.volume, 0);
    return state.device ? 1 : 0;
}

int MIDASstartBackgroundPlay(int)
{
    if (!state.device) return 0;
    return AudioCall("resume", 0, 0) != 0 ? 1 : 0;
}

int MIDASopenChannels(int numChannels)
{
    return numChannels > 0 ? 1 : 0;
}

MIDASmodule MIDASloadModule(const char* fileName)
{
    if (fileName == nullptr || !state.enabled) return 0;
    std::vector<std::uint8_t> data;
    std::string why;
    if (!ReadModuleFile(fileName, data, why)) return 0;
    const MIDASmodule module = AudioLoad(data.data(), static_cast<int>(data.size()));
    if (module > 0) state.modules.insert(module);
    return module > 0 ? module : 0;
}

MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, int loopSong)
{
    if (!state.modules.contains(module)) return 0;
    if (AudioCall("play", module, loopSong != 0 ? 1 : 0) == 0) return 0;
    state.playHandle = state.nextPlay++;
    state.playModule = module;
    return state.playHandle;
}

int MIDASstopModule(MIDASmodulePlayHandle playHandle)
{
    if (playHandle <= 0 || playHandle != state.playHandle) return 0;
    AudioCall("stop", 0, 0);
    state.playHandle = 0;
    state.playModule = 0;
    return 1;
}

int MIDASfreeModule(MIDASmodule module)
{
    if (!state.modules.contains(module)) return 0;
    if (state.playModule == module) {
        AudioCall("stop", 0, 0);
        state.playHandle = 0;
        state.playModule = 0;
    }
    AudioCall("free", module, 0);
    state.modules.erase(module);
    return 1;
}

int MIDAScloseChannels()
{
    return 1;
}

int MIDASstopBackgroundPlay()
{
    if (!state.device) return 0;
    AudioCall("suspend", 0, 0);
    return 1;
}

int MIDASclose()
{
    if (state.playHandle != 0) AudioCall("stop", 0, 0);
    for (const MIDASmodule module : state.modules) AudioCall("free", module, 0);
    state.modules.clear();
    state.playHandle = 0;
    state.playModule = 0;
    if (state.device) AudioCall("suspend", 0, 0);
    state.device = false;
    return 1;
}

void SetMusicVolume(int percent)
{
    state.volume = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    if (state.device) AudioCall("setVolume", state.volume, 0);
}

void SetMusicEnabled(bool enabled)
{
    state.enabled = enabled;
}

void PauseMusic(bool paused)
{
    if (state.playHandle != 0) AudioCall("pause", paused ? 1 : 0, 0);
}

void SetMusicTime(double seconds)
{
    if (state.playHandle != 0) AudioCall("seek", static_cast<int>(seconds * 1000 + 0.5), 0);
}

double MusicTime()
{
    return state.playHandle != 0 ? AudioCall("time", 0, 0) / 1000.0 : -1;
}

} // namespace platform
