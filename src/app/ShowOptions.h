// What the command line can change around the show. With the defaults the
// show is the original one, paced to 60 frames a second.
#pragma once

#include "platform/Video.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A key press scripted for a given frame: delivered through the event
// queue in that frame's event pump, as if typed.
struct ScriptedKey {
    int frame = 0;
    std::string key;       // SDL key name, e.g. "Left", "Page Up", "E", "Escape"
    std::int16_t shift = 0;
};

struct ShowOptions {
    platform::VideoSettings video;
    int frames = 0;                          // 0: the whole show
    std::optional<std::uint32_t> seed;       // none: seeded from the clock
    std::string dataFolder;                  // empty: the program folder
    std::string stateLogPath;
    std::map<int, std::string> snapshots;    // presented frame -> PNG path
    std::vector<ScriptedKey> keys;
    bool noMusic = false;
    int volume = 100;
};
