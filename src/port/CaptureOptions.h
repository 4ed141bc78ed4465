// The capture options: --capture, --capture-fps, --capture-size, --capture-quality, --force.
#pragma once

#include "port/ShowOptions.h"

#include <string>

enum class CaptureKind { Video, Folder };

// What a --capture argument asks for: a folder when it ends in '/' or names
// an existing folder, a video for .mp4, .mkv or .webm. False, with the
// reason in `error`, for anything else.
bool ClassifyCapturePath(const std::string& path, CaptureKind& kind, std::string& error);

struct CaptureRequest {
    std::string path;
    int fps = 60;
    std::string size; // "WxH" or empty (640x480)
    bool force = false;
    std::string quality; // fast, small or lossless; empty: not given (fast)
};

// Writes the request into the options. A capture runs headless, unpaced, and
// takes the music from its own offline render rather than the audio device
// (so the show's sound library stays shut). Throws UsageError for
// a path that is neither a video file nor a folder, a size that is not WxH,
// an odd size for a video (its colour planes need even sizes), or a quality
// for a folder capture (whose PNG files are lossless already).
void ApplyCaptureOptions(const CaptureRequest& request, ShowOptions& options);
