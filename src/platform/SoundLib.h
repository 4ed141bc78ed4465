// The sound library: background playing of XM modules, over libopenmpt and
// an SDL2 audio device. The eleven entry points the show calls, with the
// results it relies on: handles above 0 on success, 0 on failure. Every
// failure (no device, no driver, a bad module) is silent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using MIDASmodule = std::int32_t;
using MIDASmodulePlayHandle = std::int32_t;

int MIDASstartup();
int MIDASinit();
int MIDASstartBackgroundPlay(int pollRate);
int MIDASopenChannels(int numChannels);
MIDASmodule MIDASloadModule(const char* fileName);
MIDASmodulePlayHandle MIDASplayModule(MIDASmodule module, int loopSong);
int MIDASstopModule(MIDASmodulePlayHandle playHandle);
int MIDASfreeModule(MIDASmodule module);
int MIDAScloseChannels();
int MIDASstopBackgroundPlay();
int MIDASclose();

// Port settings, taken before MIDASstartup: 0..100.
void SetMusicVolume(int percent);

// Names of the entry points called so far, in order (for tests).
const std::vector<std::string>& SoundLibCalls();
void ClearSoundLibCalls();

// Samples (one per channel) above silence that the audio callback has
// produced since MIDASinit: proof that a module really plays (for tests).
std::uint64_t SoundLibNonSilentSamples();
// Whether MIDASinit got an audio device (for tests).
bool SoundLibHasDevice();

} // namespace platform
