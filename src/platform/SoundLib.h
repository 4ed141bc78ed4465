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

// Port settings, taken before MIDASstartup. Volume 0..100. With music off
// the library finds no device and loads no module: the show then plays
// silently through its usual failure path.
void SetMusicVolume(int percent);
void SetMusicEnabled(bool enabled);

// The player's hold on the music, around the show: pausing stops the
// device where it is; the time moves the playing module to that many
// seconds from its start (looped as it plays). Nothing without music.
void PauseMusic(bool paused);
void SetMusicTime(double seconds);
// Where the playing module is, in seconds from its start; -1: none plays.
double MusicTime();

// Reads a module file as the library does: a regular, non-empty file of at
// most 64 MiB (anything larger is no tracker module), whole. False for
// anything else, with the reason in why.
bool ReadModuleFile(const std::string& path, std::vector<std::uint8_t>& data, std::string& why);

} // namespace platform
