// Video state shared by the browser platform's files (not for the show).
#pragma once

#include "platform/ScreenGL.h"
#include "platform/Window.h"
#include "platform/web/PicturePresent.h"

namespace gles {
struct Context;
}

namespace platform {

struct RenderingContext {
    int webgl = 0;                 // the WebGL 2 context's handle
    gles::Context* gles = nullptr; // our GL 1.1 on it, made on first use
    VirtualScreen screen;
    web::PicturePresenter picture; // its present, where it has a texture
};

namespace web {

struct VideoState {
    VideoSettings settings;
    bool initialised = false;
    bool window = false; // the canvas is there and WebGL 2 with it
    RenderingContext* current = nullptr;
};

VideoState& CurrentVideo();

} // namespace web
} // namespace platform
