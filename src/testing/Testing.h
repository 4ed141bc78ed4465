// What the tests may look into or reset, and nothing else may use: the
// sound library's call log and output, the key translation, and the module
// globals of the show put back to their program-start values. Each is
// defined beside the state it reaches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {
// Names of the sound library's entry points called so far, in order.
const std::vector<std::string>& SoundLibCalls();
void ClearSoundLibCalls();
// Samples (one per channel) above silence that the audio callback has
// produced since MIDASinit: proof that a module really plays.
std::uint64_t SoundLibNonSilentSamples();
// Whether MIDASinit got an audio device.
bool SoundLibHasDevice();
// The virtual-key code a key-down of the named SDL key ("Keypad 8", "Up")
// reaches the show with, NumLock on or off; 0 for a key the show never sees.
std::int16_t KeyDownCodeOf(const std::string& name, bool numLock);
} // namespace platform

namespace BasicGL {
// Every global of the module back to its program-start value.
void ResetBasicGL();
} // namespace BasicGL

namespace Terrain {
// The three grids zeroed, as at program start.
void ResetTerrain();
} // namespace Terrain
