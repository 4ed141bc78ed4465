// Video state shared by the platform's own files (not for the show).
#pragma once

#include "platform/Video.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace platform {

struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC RenderbufferStorageMultisample = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;
};

// The off-screen picture the show draws into, one per rendering context.
struct VirtualScreen {
    bool active = false;
    int width = 0;
    int height = 0;
    GLuint drawFbo = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    GLuint resolveFbo = 0;       // multisampled screens resolve into this one
    GLuint resolveColour = 0;
    FramebufferFunctions fn;
};

struct VideoState {
    VideoSettings settings;
    bool initialised = false;
    SDL_Window* window = nullptr;
    RenderingContext* current = nullptr;
    Uint64 nextFrame = 0;
};

VideoState& CurrentVideo();
VirtualScreen* CurrentVirtualScreen();

} // namespace platform
