#include "port/CaptureOptions.h"

#include "port/Capture.h"
#include "port/OptionValues.h"

#include "runtime/Text.h"

void AddCaptureOptions(CLI::App& app, CaptureRequest& request)
{
    auto* capture = app.add_option("--capture", request.path,
                                   "Render the show to FILE.mp4|.mkv|.webm (needs ffmpeg) or to DIR/ as PNG "
                                   "files and music.wav, as fast as it draws; implies --headless")
                        ->type_name("FILE|DIR/");
    AddNumber(app, "--capture-fps", request.fps, 1, 1000, "Frames per second of the capture (default 60)")
        ->needs(capture);
    app.add_option("--capture-size", request.size, "Picture size of the capture, WxH (default: the render size)")
        ->type_name("WxH")
        ->needs(capture);
    app.add_flag("--force", request.force, "Let --capture replace an existing file or capture")->needs(capture);
}

void ApplyCaptureOptions(const CaptureRequest& request, ShowOptions& options)
{
    if (request.path.empty()) return;
    CaptureKind kind = CaptureKind::Video;
    std::string why;
    if (!ClassifyCapturePath(request.path, kind, why)) throw CLI::ValidationError("--capture", why);
    // A video needs its folder; a folder capture makes its own last folder
    // but, like the video, not the ones above it.
    std::string target = request.path;
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    CheckFolderOf("--capture", target);

    CaptureSettings& capture = options.capture;
    capture.path = request.path;
    capture.fps = request.fps;
    capture.force = request.force;
    if (!request.size.empty()) {
        int w = 0, h = 0;
        if (!Runtime::ParseSize(request.size, 7680, w, h) || w < 2 || h < 2 || h > 4320)
            throw CLI::ValidationError("--capture-size",
                                       "expected WxH from 2x2 to 7680x4320, got '" + request.size + "'");
        if (kind == CaptureKind::Video && (w % 2 != 0 || h % 2 != 0))
            throw CLI::ValidationError("--capture-size", "a video needs even sizes, got '" + request.size + "'");
        capture.width = w;
        capture.height = h;
    } else if (!options.video.nativeSize) {
        // The render size, made even for the video encoders.
        const int even = kind == CaptureKind::Video ? ~1 : ~0;
        capture.width = options.video.virtualWidth & even;
        capture.height = options.video.virtualHeight & even;
    }
    capture.music = !options.noMusic;
    options.noMusic = true;
    options.video.headless = true;
}
