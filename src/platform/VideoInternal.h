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
    GLuint resolveFbo = 0; // multisampled screens resolve into this one
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

// The largest area of whole 4 x 3 units inside width x height.
void LargestFourByThree(int width, int height, int& fitWidth, int& fitHeight);
// A native render size becomes a size: the window's drawable, or the
// desktop mode of the chosen monitor for full screen. Needs the window.
void ResolveNativeSize(VideoState& video);
// Throws Runtime::RuntimeError when the current context's driver cannot
// give a virtual screen of the settings' size or samples.
void CheckVirtualScreenLimits(const VideoSettings& settings);

} // namespace platform
