// citadel: the show with the port around it. Parses the options, checks the
// show's files, plays the show (or benchmarks or captures it), and turns
// every error into a message and a non-zero exit status.
#include "files/Files.h"
#include "platform/App.h"
#include "platform/Events.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/Window.h"
#include "port/Benchmark.h"
#include "port/Capture.h"
#include "port/Options.h"
#include "port/RunShow.h"
#include "port/Screenshot.h"
#include "runtime/Runtime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

// A capture under way: an error anywhere must not leave its temporary files.
Capture* activeCapture = nullptr;

// Ends at once, as a run-time error does: no shutdown steps, but the
// desktop's display mode comes back.
[[noreturn]] void EndNow(int status)
{
    platform::ShutdownVideo();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

[[noreturn]] void EndAfterError(int status, const std::string& why)
{
    if (activeCapture != nullptr) activeCapture->Abort(why);
    EndNow(status);
}

// "interrupted; 'show.csv' and 'end.png' were not written", each name once.
std::string InterruptedLine(const std::vector<std::string>& unwritten)
{
    std::vector<std::string> names;
    for (const std::string& name : unwritten)
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    std::string line = "interrupted";
    for (std::size_t i = 0; i < names.size(); ++i)
        line += (i == 0 ? "; " : i + 1 < names.size() ? ", " : " and ") + names[i];
    if (!names.empty()) line += names.size() == 1 ? " was not written" : " were not written";
    return line;
}

// A signal stopped the run: whatever was not complete is gone (the state
// log's and the capture's temporary files went as the run unwound, ffmpeg
// goes now), what was there before is as it was, one line says what the
// signal cost, and the status is the shell's for a death by that signal.
[[noreturn]] void EndAfterInterrupt(platform::Interrupted& interrupted)
{
    if (activeCapture != nullptr) {
        activeCapture->Unwritten(interrupted.unwritten);
        activeCapture->Discard();
    }
    std::fprintf(stderr, "citadel: %s\n", InterruptedLine(interrupted.unwritten).c_str());
    EndNow(128 + interrupted.signal);
}

// A video error in the user's terms: what to change on the command line.
std::string Advice(const platform::VideoError& e)
{
    using Reason = platform::VideoError::Reason;
    switch (e.reason) {
    case Reason::NoDisplay:
        return std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr
                   ? "There is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set). To "
                     "run without one, use --headless."
                   : std::string(e.what()) + ". To run without a display, use --headless.";
    case Reason::RenderSizeTooLarge:
        return std::string(e.what()) + "; choose a smaller --render-size";
    case Reason::TooManySamples:
        return std::string(e.what()) + "; choose a smaller --msaa";
    default:
        return e.what();
    }
}

// A run whose standard output was lost (a full disk, a closed descriptor)
// has failed, however it went otherwise.
int CheckedStandardOutput(int status)
{
    const std::string why = files::StandardOutputProblem();
    if (why.empty()) return status;
    std::fprintf(stderr, "citadel: cannot write to standard output: %s\n", why.c_str());
    return status == 0 ? 1 : status;
}

} // namespace

int main(int argc, char** argv)
{
    files::TakeClosedStandardDescriptors();
    ShowOptions options;
    const int parsed = ParseOptions(argc, argv, options);
    if (parsed >= 0) return CheckedStandardOutput(parsed);
    // One policy for every mode: SIGINT, SIGTERM and SIGHUP raise a flag that
    // the frame loop heeds before its next pass.
    platform::CatchInterrupts();
    // Started from the desktop, an error before the window opens would
    // otherwise go only to a stderr that nobody reads.
    platform::AllowBoxesWithoutWindow(!options.video.headless && !platform::StartedFromTerminal());

    std::unique_ptr<Capture> capture;
    try {
        // Every missing image in one message, before anything starts.
        platform::SetDataFolder(options.dataFolder);
        const std::string missing = MissingShowFiles(platform::AppPath());
        if (!missing.empty()) throw Runtime::RuntimeError(missing);
        if (options.benchmark) {
            const int status = bench::RunBenchmark(options);
            platform::StopIfInterrupted(); // a signal after the figures, as below
            return CheckedStandardOutput(status);
        }
        platform::SetScreenshotHandler(SaveScreenshot);

        PortHooks hooks;
        if (!options.capture.path.empty()) {
            capture = std::make_unique<Capture>(options);
            activeCapture = capture.get();
            capture->Prepare();
            hooks.Attach(*capture);
        }
        RunShow(options, hooks, WriteSnapshot);
        if (capture) capture->Finish(hooks.Frames() - options.start + 1);
        // A signal too late to stop anything: all was written, but the
        // status still says that the run was asked to stop.
        platform::StopIfInterrupted();
    } catch (platform::Interrupted& e) {
        EndAfterInterrupt(e);
    } catch (const Runtime::Exit& e) {
        EndAfterError(e.status, "the show stopped");
    } catch (const platform::VideoError& e) {
        platform::MsgBox("Run-time error: " + Advice(e), platform::vbCritical, platform::AppTitle());
        EndAfterError(1, "the show stopped with an error");
    } catch (const std::exception& e) {
        platform::MsgBox(std::string("Run-time error: ") + e.what(), platform::vbCritical, platform::AppTitle());
        EndAfterError(1, "the show stopped with an error");
    }
    return CheckedStandardOutput(0);
}
