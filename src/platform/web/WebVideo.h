// Video state shared by the browser platform's files (not for the show).
#pragma once

#include "platform/Window.h"

namespace gles {
struct Context;
}

namespace platform {

// The off-screen picture the show draws into, on the context's WebGL 2.
struct Screen {
    bool active = false;
    int width = 0;
    int height = 0;
    unsigned drawFbo = 0;
    unsigned colour = 0;
    unsigned depth = 0;
};

struct RenderingContext {
    int webgl = 0;                 // the WebGL 2 context's handle
    gles::Context* gles = nullptr; // our GL 1.1 on it, made on first use
    Screen screen;
};

namespace web {

struct VideoState {
    VideoSettings settings;
    bool initialised = false;
    bool window = false; // the canvas is there and WebGL 2 with it
    RenderingContext* current = nullptr;
};

VideoState& CurrentVideo();

// The virtual screen on the current WebGL context.
void CreateScreen(Screen& screen, const VideoSettings& settings);
void DestroyScreen(Screen& screen);
// Scales the finished picture onto the canvas's drawing buffer of the given
// size and binds the virtual screen again.
void PresentScreen(const Screen& screen, int canvasWidth, int canvasHeight);

} // namespace web
} // namespace platform
