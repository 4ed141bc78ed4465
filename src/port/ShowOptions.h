// What the command line can change around the show. With the defaults the
// show is the original one, paced to 60 frames a second.
#pragma once

#include "platform/Window.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A key press scripted for a given frame: delivered through the event
// queue in that frame's event pump, as if typed.
struct ScriptedKey {
    int frame = 0;
    int tick = 0;    // > 0: the tick-th refresh of a pause after frame, instead
    std::string key; // SDL key name, e.g. "Left", "Page Up", "E", "Escape"
    std::int16_t shift = 0;
};

// Rendering the show to a video file or a folder of pictures instead of
// playing it: one video frame per show frame, whatever the machine's speed.
// What a video capture is for: the x264 or VP9 settings it is encoded with.
enum class CaptureQuality {
    Fast,     // quick to make, the picture as crf 18 keeps it (the default)
    Small,    // a slower preset: the same picture in a smaller file
    Lossless, // for editing: FFV1 in .mkv, x264 -qp 0 in .mp4, VP9 lossless in .webm
};

struct CaptureSettings {
    std::string path; // FILE.mp4|.mkv|.webm, or DIR/ for PNG files; empty: no capture
    int fps = 60;
    int width = 640;
    int height = 480;
    bool force = false; // replace what is already there
    bool music = true;  // a sound track rendered offline
    CaptureQuality quality = CaptureQuality::Fast;
};

struct ShowOptions {
    platform::VideoSettings video;
    int frames = 0;                    // 0: the whole show
    int start = 1;                     // the first frame drawn
    std::optional<std::uint32_t> seed; // none: seeded from the clock
    std::string dataFolder;            // empty: the program folder
    std::string stateLogPath;
    std::map<int, std::string> snapshots; // presented frame -> PNG path
    std::vector<ScriptedKey> keys;
    bool noMusic = false;
    int volume = 100;
    CaptureSettings capture;
    bool benchmark = false;    // time the show instead of just playing it
    bool glChosen = false;     // --gl given: the benchmark times that path alone
    std::string benchmarkJson; // also write the figures here
    int keyStormSeed = -1;     // >= 0: random key presses every frame
};
