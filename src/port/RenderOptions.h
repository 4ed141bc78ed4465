// The remaster options: the size, colour and depth precision and samples of
// the virtual screen the show draws into. The show's own calls stay the
// same; only the size it is told about changes.
#pragma once

#include "platform/Window.h"

#include <string>

struct RenderRequest {
    std::string size;    // "WxH", "native" or empty (default)
    int colourDepth = 0; // 0: not given
    int depthBits = 0;
    int msaa = -1; // -1: not given
    bool remaster = false;
};

// Writes the request into the video settings; options given one by one win
// over the --remaster preset. Throws UsageError for a size that is
// not WxH or native, or not 4:3.
void ApplyRenderOptions(const RenderRequest& request, platform::VideoSettings& video);
