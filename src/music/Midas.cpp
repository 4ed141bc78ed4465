// The background music: the sound library is started before the module is
// loaded, and shut down whatever became of the module.
#include "music/Midas.h"

namespace Midas {

platform::MIDASmodule MusicModule = 0;
platform::MIDASmodulePlayHandle MusicPlayHandle = 0;

void MidasStart()
{
    platform::MIDASstartup();
    platform::MIDASinit();
    // Background play first, channels after: the library polls itself at 100 Hz.
    platform::MIDASstartBackgroundPlay(100);
    platform::MIDASopenChannels(50);
}

void MidasPlayModule(std::string& FileName)
{
    // Paths reach the library as 8-bit strings; ours already are.
    MusicModule = platform::MIDASloadModule(FileName.c_str());
    if (MusicModule > 0) {
        MusicPlayHandle = platform::MIDASplayModule(MusicModule, -1);
    }
}

void MidasStop()
{
    if (MusicPlayHandle > 0) {
        platform::MIDASstopModule(MusicPlayHandle);
    }
    MusicPlayHandle = 0;
    if (MusicModule > 0) {
        platform::MIDASfreeModule(MusicModule);
    }
    MusicModule = 0;
    platform::MIDAScloseChannels();
    platform::MIDASstopBackgroundPlay();
    platform::MIDASclose();
}

} // namespace Midas
