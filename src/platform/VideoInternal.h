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

// The size of a windowed show's window on the display: the settings' own,
// or the default made to fit the display's usable area at 4:3.
void WindowedSize(const VideoSettings& settings, int display, int& width, int& height);

// A native render size becomes a size: the window's drawable, or the
// desktop mode of the chosen monitor for full screen. Needs the window.
void ResolveNativeSize(VideoState& video);

} // namespace platform
