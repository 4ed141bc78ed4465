#include "port/CaptureOptions.h"

#include "port/OptionValues.h"

#include "runtime/Text.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool ClassifyCapturePath(const std::string& path, CaptureKind& kind, std::string& error)
{
    std::error_code ec;
    if (path.empty()) {
        error = "no file or folder named";
        return false;
    }
    if (path.back() == '/' || fs::is_directory(path, ec)) {
        kind = CaptureKind::Folder;
        return true;
    }
    const std::string extension = Runtime::Lower(fs::path(path).extension().string());
    if (extension == ".mp4" || extension == ".mkv" || extension == ".webm") {
        kind = CaptureKind::Video;
        return true;
    }
    error = "'" + path + "' is neither a .mp4, .mkv or .webm file nor a folder (end it with '/')";
    return false;
}

void ApplyCaptureOptions(const CaptureRequest& request, ShowOptions& options)
{
    if (request.path.empty()) return;
    CaptureKind kind = CaptureKind::Video;
    std::string why;
    if (!ClassifyCapturePath(request.path, kind, why)) throw UsageError("--capture", why);
    // A video needs its folder; a folder capture makes its own last folder
    // but, like the video, not the ones above it.
    std::string target = request.path;
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    CheckFolderOf("--capture", target);

    CaptureSettings& capture = options.capture;
    capture.path = request.path;
    capture.fps = request.fps;
    capture.force = request.force;
    if (!request.quality.empty() && kind == CaptureKind::Folder)
        throw UsageError("--capture-quality", "not with a folder capture, whose PNG files are lossless already");
    capture.quality = request.quality == "small"      ? CaptureQuality::Small
                      : request.quality == "lossless" ? CaptureQuality::Lossless
                                                      : CaptureQuality::Fast;
    if (!request.size.empty()) {
        int w = 0, h = 0;
        if (!Runtime::ParseSize(request.size, 7680, w, h) || w < 2 || h < 2 || h > 4320)
            throw UsageError("--capture-size", "expected WxH from 2x2 to 7680x4320, got '" + request.size + "'");
        if (kind == CaptureKind::Video && (w % 2 != 0 || h % 2 != 0))
            throw UsageError("--capture-size", "a video needs even sizes, got '" + request.size + "'");
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
