// Video state shared by the platform's window and virtual screen (not for
// the show).
#pragma once

#include "platform/ScreenGL.h"
#include "platform/Window.h"

#include <SDL.h>

namespace platform {

struct VideoState {
    VideoSettings settings;
    bool initialised = false;
    SDL_Window* window = nullptr;
    RenderingContext* current = nullptr;
    Uint64 nextFrame = 0;
};

VideoState& CurrentVideo();
VirtualScreen* CurrentVirtualScreen();

// A native render size becomes a size: the window's drawable, or the
// desktop mode of the chosen monitor for full screen. Needs the window.
void ResolveNativeSize(VideoState& video);

} // namespace platform
