// citadel: starts the show's window, runs start-up and the frame loop, and
// turns the one error path into a message and a non-zero exit status.
#include "app/Options.h"
#include "app/glTemplate.h"
#include "gl/BasicWGL.h"
#include "platform/App.h"
#include "platform/SoundLib.h"
#include "platform/Video.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Ends at once, as a run-time error does: no shutdown steps, but the
// desktop's display mode comes back.
[[noreturn]] void EndAfterError(int status)
{
    platform::ShutdownVideo();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

} // namespace

int main(int argc, char** argv)
{
    ShowOptions options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed >= 0) return parsed;

    try {
        platform::InitVideo(options.video);
        platform::SetMusicVolume(options.volume);
        glTemplate form(options);
        form.Form_Load();
        platform::ShowWindow();
        form.Form_Paint();
    } catch (const BasicWGL::FatalExit&) {
        EndAfterError(1);
    } catch (const Runtime::RuntimeError& e) {
        platform::MsgBox(std::string("Run-time error: ") + e.what(), platform::vbCritical, platform::AppTitle());
        EndAfterError(1);
    }
    platform::ShutdownVideo();
    return 0;
}
