// What the tests may look into or reset, and nothing else may use: the
// sound library's call log and output, and the module globals of the show
// put back to their program-start values. Each is defined beside the state
// it reaches.
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
} // namespace platform

namespace BasicGL {
// Every global of the module back to its program-start value.
void ResetBasicGL();
} // namespace BasicGL

namespace Terrain {
// The three grids zeroed, as at program start.
void ResetTerrain();
} // namespace Terrain
