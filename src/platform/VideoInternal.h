// Video state shared by the platform's window and virtual screen (not for
// the show).
#pragma once

#include "platform/Window.h"

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

// Builds the virtual screen of the settings on the current context. Without
// framebuffer objects the show draws straight into the window (a warning).
// Throws VideoError when the driver cannot give what the settings ask for.
void CreateVirtualScreen(VirtualScreen& screen, const VideoSettings& settings);
void DestroyVirtualScreen(VirtualScreen& screen);
// Scales the finished picture into the window's back buffer (drawable
// width x height) with bars, and binds the virtual screen again; the show's
// clear colour and scissor test are left as they were.
void PresentVirtualScreen(VirtualScreen& screen, int drawableWidth, int drawableHeight, ScaleFilter filter);

// The size of a windowed show's window on the display: the settings' own,
// or the default made to fit the display's usable area at 4:3.
void WindowedSize(const VideoSettings& settings, int display, int& width, int& height);

// A native render size becomes a size: the window's drawable, or the
// desktop mode of the chosen monitor for full screen. Needs the window.
void ResolveNativeSize(VideoState& video);

} // namespace platform
