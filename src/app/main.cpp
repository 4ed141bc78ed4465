// citadel: starts the show's window, runs start-up and the frame loop, and
// turns the one error path into a message and a non-zero exit status.
#include "app/Benchmark.h"
#include "app/Capture.h"
#include "app/KeyStorm.h"
#include "app/Options.h"
#include "app/glTemplate.h"
#include "gl/BasicWGL.h"
#include "glapi/Gl11.h"
#include "platform/App.h"
#include "platform/SoundLib.h"
#include "platform/Video.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// A capture under way: an error anywhere must not leave its temporary files.
Capture* activeCapture = nullptr;

// Ends at once, as a run-time error does: no shutdown steps, but the
// desktop's display mode comes back.
[[noreturn]] void EndAfterError(int status)
{
    if (activeCapture != nullptr) activeCapture->Abort("the show stopped with an error");
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

    std::unique_ptr<Capture> capture;
    try {
        // Every missing image in one message, before anything starts.
        platform::SetDataFolder(options.dataFolder);
        const std::string missing = MissingShowFiles(platform::AppPath());
        if (!missing.empty()) throw Runtime::RuntimeError(missing);
        if (options.benchmark) return bench::RunBenchmark(options);
        if (!options.capture.path.empty()) {
            capture = std::make_unique<Capture>(options);
            activeCapture = capture.get();
            capture->Prepare();
        }
        platform::InitVideo(options.video);
        glapi::Current = glapi::DesktopGL();
        platform::SetMusicVolume(options.volume);
        glTemplate form(options);
        if (capture) form.AddFrameObserver([&capture](int frame, const char*) { capture->Frame(frame); });
        if (options.keyStormSeed >= 0)
            form.AddFrameObserver(MakeKeyStorm(static_cast<std::uint32_t>(options.keyStormSeed)));
        form.Form_Load();
        platform::ShowWindow();
        form.Form_Paint();
        if (capture) capture->Finish(form.PresentedFrames());
    } catch (const Capture::Failed& e) {
        capture->Abort(e.what());
        EndAfterError(e.interrupted ? 130 : 1);
    } catch (const BasicWGL::FatalExit&) {
        EndAfterError(1);
    } catch (const Runtime::RuntimeError& e) {
        platform::MsgBox(std::string("Run-time error: ") + e.what(), platform::vbCritical, platform::AppTitle());
        EndAfterError(1);
    }
    platform::ShutdownVideo();
    return 0;
}
