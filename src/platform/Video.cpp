// The window, its OpenGL binding and the virtual screen, over SDL2.
#include "platform/Video.h"

#include "platform/VideoInternal.h"
#include "runtime/Runtime.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace platform {

struct DeviceContext {};

struct RenderingContext {
    SDL_GLContext gl = nullptr;
    VirtualScreen screen;
};

namespace {

DeviceContext theDeviceContext;
VideoState video;

void LoadFramebufferFunctions(FramebufferFunctions& f)
{
    auto load = [](const char* name) { return SDL_GL_GetProcAddress(name); };
    f.GenFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(load("glGenFramebuffers"));
    f.DeleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(load("glDeleteFramebuffers"));
    f.BindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(load("glBindFramebuffer"));
    f.GenRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(load("glGenRenderbuffers"));
    f.DeleteRenderbuffers = reinterpret_cast<PFNGLDELETERENDERBUFFERSPROC>(load("glDeleteRenderbuffers"));
    f.BindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(load("glBindRenderbuffer"));
    f.RenderbufferStorageMultisample =
        reinterpret_cast<PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC>(load("glRenderbufferStorageMultisample"));
    f.FramebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(load("glFramebufferRenderbuffer"));
    f.CheckFramebufferStatus = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(load("glCheckFramebufferStatus"));
    f.BlitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(load("glBlitFramebuffer"));
}

bool FramebufferFunctionsComplete(const FramebufferFunctions& f)
{
    return f.GenFramebuffers && f.DeleteFramebuffers && f.BindFramebuffer && f.GenRenderbuffers &&
           f.DeleteRenderbuffers && f.BindRenderbuffer && f.RenderbufferStorageMultisample &&
           f.FramebufferRenderbuffer && f.CheckFramebufferStatus && f.BlitFramebuffer;
}

GLenum ColourFormat(int bits)
{
    return bits >= 24 ? GL_RGBA8 : GL_RGB565;
}
GLenum DepthFormat(int bits)
{
    return bits >= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
}

GLuint NewRenderbuffer(const FramebufferFunctions& f, int samples, GLenum format, int w, int h)
{
    GLuint rb = 0;
    f.GenRenderbuffers(1, &rb);
    f.BindRenderbuffer(GL_RENDERBUFFER, rb);
    f.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, w, h);
    f.BindRenderbuffer(GL_RENDERBUFFER, 0);
    return rb;
}

// Builds the off-screen framebuffer the show draws into. Without framebuffer
// objects the show draws straight into the window, at the window's depth.
void CreateVirtualScreen(VirtualScreen& s)
{
    FramebufferFunctions& f = s.fn;
    LoadFramebufferFunctions(f);
    if (!FramebufferFunctionsComplete(f)) {
        std::fprintf(stderr, "citadel: no framebuffer objects; drawing straight into the window\n");
        return;
    }
    const int w = video.settings.virtualWidth;
    const int h = video.settings.virtualHeight;
    const int samples = video.settings.msaa;
    CheckVirtualScreenLimits(video.settings);

    f.GenFramebuffers(1, &s.drawFbo);
    f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    s.colour = NewRenderbuffer(f, samples, ColourFormat(video.settings.colourBits), w, h);
    s.depth = NewRenderbuffer(f, samples, DepthFormat(video.settings.depthBits), w, h);
    f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
    f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
    bool complete = f.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    if (complete && samples > 0) {
        // Multisampled pictures are resolved into a plain one before they are
        // scaled or read back.
        f.GenFramebuffers(1, &s.resolveFbo);
        f.BindFramebuffer(GL_FRAMEBUFFER, s.resolveFbo);
        s.resolveColour = NewRenderbuffer(f, 0, ColourFormat(video.settings.colourBits), w, h);
        f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.resolveColour);
        complete = f.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    if (!complete) {
        f.BindFramebuffer(GL_FRAMEBUFFER, 0);
        const GLuint fbos[] = {s.drawFbo, s.resolveFbo};
        const GLuint rbs[] = {s.colour, s.depth, s.resolveColour};
        f.DeleteFramebuffers(2, fbos);
        f.DeleteRenderbuffers(3, rbs);
        throw Runtime::RuntimeError("The graphics driver cannot give a " + std::to_string(w) + " x " +
                                    std::to_string(h) + " screen with " + std::to_string(video.settings.colourBits) +
                                    "-bit colour, " + std::to_string(video.settings.depthBits) + "-bit depth and " +
                                    std::to_string(samples) + " samples");
    }
    s.width = w;
    s.height = h;
    s.active = true;
    f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
}

void DestroyVirtualScreen(VirtualScreen& s)
{
    if (!s.active) return;
    const FramebufferFunctions& f = s.fn;
    f.BindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint fbos[] = {s.drawFbo, s.resolveFbo};
    GLuint rbs[] = {s.colour, s.depth, s.resolveColour};
    f.DeleteFramebuffers(2, fbos);
    f.DeleteRenderbuffers(3, rbs);
    s = VirtualScreen{};
}

// The framebuffer holding the finished picture: the resolved copy when
// multisampling, otherwise the one the show draws into.
GLuint ResolvedFramebuffer(VirtualScreen& s)
{
    if (s.resolveFbo == 0) return s.drawFbo;
    s.fn.BindFramebuffer(GL_READ_FRAMEBUFFER, s.drawFbo);
    s.fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, s.resolveFbo);
    s.fn.BlitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return s.resolveFbo;
}

void PaceFrame()
{
    if (video.settings.fps <= 0) return;
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    const Uint64 period = frequency / static_cast<Uint64>(video.settings.fps);
    const Uint64 now = SDL_GetPerformanceCounter();
    if (video.nextFrame == 0 || now > video.nextFrame + period) {
        // First frame, or far behind (a stall): start the clock again rather
        // than rushing to catch up.
        video.nextFrame = now + period;
        return;
    }
    for (Uint64 t = now; t < video.nextFrame; t = SDL_GetPerformanceCounter()) {
        const Uint64 ms = (video.nextFrame - t) * 1000 / frequency;
        if (ms > 1) SDL_Delay(static_cast<Uint32>(ms - 1));
    }
    video.nextFrame += period;
}

} // namespace

VideoState& CurrentVideo()
{
    return video;
}

VirtualScreen* CurrentVirtualScreen()
{
    return video.current ? &video.current->screen : nullptr;
}

void InitVideo(const VideoSettings& settings)
{
    video.settings = settings;
    // SDL_VIDEODRIVER in the environment wins over both choices below.
    if (settings.headless) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    } else {
        // Only real displays: SDL would otherwise fall back to its off-screen
        // driver and play the show to nobody. Wayland is tried only where a
        // compositor is announced, so that its client library stays quiet.
        std::string drivers;
        if (std::getenv("DISPLAY") != nullptr) drivers += "x11,";
        if (std::getenv("WAYLAND_DISPLAY") != nullptr) drivers += "wayland,";
        drivers += "kmsdrm";
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        throw Runtime::RuntimeError(std::string("Cannot open a display (") + SDL_GetError() +
                                    "). To run without one, use --headless.");
    }
    video.initialised = true;
}

HDC GetDC()
{
    return &theDeviceContext;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request)
{
    if (dc == nullptr || request == nullptr || !video.initialised) return 0;
    const std::uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request->dwFlags & needed) != needed || request->iPixelType != PFD_TYPE_RGBA ||
        request->iLayerType != PFD_MAIN_PLANE)
        return 0;
    if (video.window != nullptr) return 1;

    // The window itself only shows the finished picture; the colour and depth
    // bits of the request belong to the virtual screen.
    if (video.settings.colourBits == 16) video.settings.colourBits = request->cColorBits;
    if (video.settings.depthBits == 16) video.settings.depthBits = request->cDepthBits;
    // A 32-bit virtual screen shown through a 16-bit window would band again.
    const bool deep = video.settings.colourBits >= 24;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (request->dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    // The show's screen size: full screen covers the desktop anyway, and an
    // off-screen window the size of a large render size would be a second
    // large surface (or none at all, past the driver's limits).
    int w = 640;
    int h = 480;
    const int display = std::clamp(video.settings.display, 0, std::max(0, SDL_GetNumVideoDisplays() - 1));
    int x = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    int y = x;
    SDL_Rect bounds{};
    if (video.settings.windowed && !video.settings.headless) {
        flags |= SDL_WINDOW_RESIZABLE;
        w = video.settings.windowWidth;
        h = video.settings.windowHeight;
    } else if (!video.settings.headless && !video.settings.modeSwitch && SDL_GetDisplayBounds(display, &bounds) == 0) {
        // Covers the desktop from the start: without a window manager, full
        // screen asked for later would leave a small window in the middle.
        flags |= SDL_WINDOW_BORDERLESS;
        x = bounds.x;
        y = bounds.y;
        w = bounds.w;
        h = bounds.h;
    }
    video.window = SDL_CreateWindow(video.settings.appName.c_str(), x, y, w, h, flags);
    if (video.window != nullptr) ResolveNativeSize(video);
    return video.window != nullptr ? 1 : 0;
}

int SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    return dc != nullptr && format == 1 && video.window != nullptr ? 1 : 0;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || video.window == nullptr) return nullptr;
    SDL_GLContext gl = SDL_GL_CreateContext(video.window);
    if (gl == nullptr) return nullptr;
    // Creating a context makes it current in SDL; the show makes it current
    // itself, so leave whatever was current before.
    if (video.current != nullptr)
        SDL_GL_MakeCurrent(video.window, video.current->gl);
    else
        SDL_GL_MakeCurrent(video.window, nullptr);
    auto* context = new RenderingContext;
    context->gl = gl;
    return context;
}

int wglMakeCurrent(HDC dc, HGLRC context)
{
    if (context == nullptr) {
        if (video.window != nullptr) SDL_GL_MakeCurrent(video.window, nullptr);
        video.current = nullptr;
        return 1;
    }
    if (dc == nullptr || video.window == nullptr) return 0;
    if (SDL_GL_MakeCurrent(video.window, context->gl) != 0) return 0;
    video.current = context;
    SDL_GL_SetSwapInterval(video.settings.fps > 0 && !video.settings.headless ? 1 : 0);
    if (!context->screen.active) CreateVirtualScreen(context->screen);
    return 1;
}

int wglDeleteContext(HGLRC context)
{
    if (context == nullptr) return 0;
    if (video.window != nullptr && context->screen.active) {
        SDL_GL_MakeCurrent(video.window, context->gl);
        DestroyVirtualScreen(context->screen);
        if (video.current != nullptr && video.current != context)
            SDL_GL_MakeCurrent(video.window, video.current->gl);
        else
            SDL_GL_MakeCurrent(video.window, nullptr);
    }
    if (video.current == context) video.current = nullptr;
    SDL_GL_DeleteContext(context->gl);
    delete context;
    return 1;
}

HGLRC wglGetCurrentContext()
{
    return video.current != nullptr && SDL_GL_GetCurrentContext() == video.current->gl ? video.current : nullptr;
}

int SwapBuffers(HDC dc)
{
    if (dc == nullptr || video.window == nullptr) return 0;
    VirtualScreen* s = CurrentVirtualScreen();
    if (s != nullptr && s->active) {
        int drawableW = 0, drawableH = 0;
        SDL_GL_GetDrawableSize(video.window, &drawableW, &drawableH);
        const Box box = FitBox(s->width, s->height, drawableW, drawableH, video.settings.filter);

        // Only the clear colour and the scissor test touch what follows;
        // both go back to the show's values afterwards.
        GLfloat clearColour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        if (scissor) glDisable(GL_SCISSOR_TEST);

        const GLuint source = ResolvedFramebuffer(*s);
        s->fn.BindFramebuffer(GL_READ_FRAMEBUFFER, source);
        s->fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        const GLenum filter = video.settings.filter == ScaleFilter::Linear ? GL_LINEAR : GL_NEAREST;
        s->fn.BlitFramebuffer(0, 0, s->width, s->height, box.x, box.y, box.x + box.width, box.y + box.height,
                              GL_COLOR_BUFFER_BIT, filter);
        SDL_GL_SwapWindow(video.window);

        s->fn.BindFramebuffer(GL_FRAMEBUFFER, s->drawFbo);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
        if (scissor) glEnable(GL_SCISSOR_TEST);
    } else {
        SDL_GL_SwapWindow(video.window);
    }
    PaceFrame();
    return 1;
}

// The virtual screen's size, or the window's drawable where there is none.
static void DrawingAreaSize(int& w, int& h)
{
    const VirtualScreen* s = CurrentVirtualScreen();
    w = h = 0;
    if (s != nullptr && s->active) {
        w = s->width;
        h = s->height;
    } else if (video.window != nullptr) {
        SDL_GL_GetDrawableSize(video.window, &w, &h);
    }
}

float DrawingAreaWidth()
{
    int w, h;
    DrawingAreaSize(w, h);
    return static_cast<float>(w);
}

float DrawingAreaHeight()
{
    int w, h;
    DrawingAreaSize(w, h);
    return static_cast<float>(h);
}

void ShowWindow()
{
    if (video.window != nullptr && !video.settings.headless) SDL_ShowWindow(video.window);
}

void ReadVirtualScreen(std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    VirtualScreen* s = CurrentVirtualScreen();
    width = static_cast<int>(DrawingAreaWidth());
    height = static_cast<int>(DrawingAreaHeight());
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    if (width == 0 || height == 0) return;

    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (s != nullptr && s->active) s->fn.BindFramebuffer(GL_READ_FRAMEBUFFER, ResolvedFramebuffer(*s));
    std::vector<std::uint8_t> bottomUp(rgb.size());
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    if (s != nullptr && s->active) s->fn.BindFramebuffer(GL_FRAMEBUFFER, s->drawFbo);
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);

    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row), row,
                    rgb.begin() + static_cast<std::ptrdiff_t>(y * row));
}

void QueryDrawingBits(int& red, int& green, int& blue, int& depth)
{
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
}

void ShutdownVideo()
{
    if (!video.initialised) return;
    if (video.window != nullptr) {
        SDL_DestroyWindow(video.window);
        video.window = nullptr;
    }
    video.current = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video.initialised = false;
}

bool HasWindow()
{
    return video.window != nullptr && !video.settings.headless;
}

} // namespace platform
