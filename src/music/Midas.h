// The background music: start the sound library, load and loop the module,
// stop it all at the end.
#pragma once

#include "platform/SoundLib.h"

#include <string>

namespace Midas {

// Handles as the sound library returns them; 0 or below means none.
extern platform::MIDASmodule MusicModule;
extern platform::MIDASmodulePlayHandle MusicPlayHandle;

void MidasStart();
void MidasPlayModule(std::string& FileName);
void MidasStop();

} // namespace Midas
