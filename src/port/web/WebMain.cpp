// citadel in a web browser: the page's parameters, the show started on the
// page's canvas, and every error turned into a message on the page. main()
// returns as soon as the frame loop is registered; the browser then runs the
// show one pass a frame, and the run below lives as long as the page.
#include "gles/Gles.h"
#include "platform/App.h"
#include "platform/SoundLib.h"
#include "platform/Window.h"
#include "platform/web/Browser.h"
#include "port/PortHooks.h"
#include "port/web/PageOptions.h"
#include "port/web/PageScript.h"
#include "runtime/Runtime.h"
#include "window/glTemplate.h"

#include <exception>
#include <memory>
#include <string>

namespace {

struct Run {
    ShowOptions options;
    PortHooks hooks;
    std::unique_ptr<PageScript> script;
    std::unique_ptr<glTemplate> form;
};

// Never freed: the frame loop's pass holds the window's address, and a page
// plays one show (playing again reloads the page).
Run* run = nullptr;

// Ends the run: the video subsystem released and the page told, with the
// error's message on the page first.
void Finish(std::exception_ptr error)
{
    bool failed = error != nullptr;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const Runtime::Exit&) {
            // The fatal-error box has said it already.
        } catch (const std::exception& e) {
            platform::MsgBox(std::string("Run-time error: ") + e.what(), platform::vbCritical, platform::AppTitle());
        } catch (...) {
            platform::MsgBox("Run-time error: an unknown error", platform::vbCritical, platform::AppTitle());
        }
    }
    platform::ShutdownVideo();
    platform::web::ShowEnded(failed, run != nullptr ? run->hooks.Frames() : 0);
}

void Start(const std::string& query)
{
    run = new Run;
    ShowOptions& options = run->options;
    ParsePageOptions(query, options);
    if (!platform::web::HasWebGl2())
        throw platform::VideoError(platform::VideoError::Reason::NoDisplay,
                                   "This browser gives no WebGL 2 (OpenGL ES 3.0), which the show draws with");

    if (options.seed) platform::PinRandomSeed(*options.seed);
    platform::SetMusicEnabled(!options.noMusic);
    platform::SetMusicVolume(options.volume);
    glapi::Current = gles::Table();
    // Each check of the ES context for errors waits for the browser's GPU
    // process: once a second of frames is enough to end a broken run.
    gles::CheckErrorsEvery(60);
    run->script = std::make_unique<PageScript>(options);
    run->hooks.Attach(*run->script);
    platform::web::SetFrameLoopEnd(Finish);

    platform::InitVideo(options.video);
    platform::OpenWindow();
    run->hooks.AfterStartupStep("video");
    run->form = std::make_unique<glTemplate>(run->hooks);
    run->form->Form_Load();
    platform::ShowWindow();
    run->form->Form_Paint();
}

} // namespace

// argv[1]: the page's query string.
int main(int argc, char** argv)
{
    try {
        Start(argc > 1 ? argv[1] : "");
    } catch (...) {
        Finish(std::current_exception());
    }
    return 0;
}
