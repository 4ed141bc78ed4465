// The window and its OpenGL binding, over SDL2.
#include "platform/Window.h"

#include "platform/App.h"
#include "platform/VideoInternal.h"

#include "glapi/Gl11.h"
#include "gles/Gles.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>

namespace platform {

struct DeviceContext {};

struct RenderingContext {
    SDL_GLContext gl = nullptr;
    gles::Context* renderer = nullptr; // GlApi::Es: our GL 1.1 on this ES context
    VirtualScreen screen;
};

namespace {

DeviceContext theDeviceContext;
VideoState video;

// Pictures queued for reading whose context has gone: finished then, taken
// from here first. A capture takes the last frames after the show's end.
struct FinishedRead {
    std::vector<std::uint8_t> rgb;
    int width = 0;
    int height = 0;
};
std::deque<FinishedRead> finishedReads;

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

bool UsesRenderer()
{
    return Renderer() == GlApi::Es;
}

// The virtual screen's GL functions. GL 1.1's own are taken from the GL
// library the program links, as the driver's fixed function is (EGL 1.4
// could not look them up, and a call trace shows them as before); newer ones
// only the context can give.
void* LoadGlFunction(const char* name)
{
    struct Export {
        const char* name;
        void* function;
    };
    static const Export exports[] = {
        {"glGetIntegerv", reinterpret_cast<void*>(&glGetIntegerv)},
        {"glGetFloatv", reinterpret_cast<void*>(&glGetFloatv)},
        {"glIsEnabled", reinterpret_cast<void*>(&glIsEnabled)},
        {"glEnable", reinterpret_cast<void*>(&glEnable)},
        {"glDisable", reinterpret_cast<void*>(&glDisable)},
        {"glClearColor", reinterpret_cast<void*>(&glClearColor)},
        {"glClear", reinterpret_cast<void*>(&glClear)},
        {"glPixelStorei", reinterpret_cast<void*>(&glPixelStorei)},
        {"glReadPixels", reinterpret_cast<void*>(&glReadPixels)},
    };
    for (const Export& e : exports)
        if (std::strcmp(e.name, name) == 0) return e.function;
    return SDL_GL_GetProcAddress(name);
}

// With GlApi::Es: an ES 3.0 context with a context of our renderer on it,
// the previous contexts current again afterwards. A driver without ES 3.0 or
// a shader it will not build is an error that says so, never a black window.
RenderingContext* CreateRendererContext()
{
    gles::MakeCurrent(nullptr); // what the current one batched belongs to its own ES context
    SDL_GLContext gl = SDL_GL_CreateContext(video.window);
    if (gl == nullptr)
        throw std::runtime_error(std::string("--gl es: the graphics driver gives no OpenGL ES 3.0 context (") +
                                 SDL_GetError() + ")");
    auto context = std::make_unique<RenderingContext>();
    context->gl = gl;
    context->screen.readRgba = true;
    const auto restore = [] {
        SDL_GL_MakeCurrent(video.window, video.current != nullptr ? video.current->gl : nullptr);
        if (video.current != nullptr) gles::MakeCurrent(video.current->renderer);
    };
    try {
        context->renderer = gles::CreateContext();
    } catch (...) {
        restore();
        SDL_GL_DeleteContext(gl);
        throw;
    }
    restore();
    return context.release();
}

// The virtual screen's size, or the window's drawable where there is none.
void DrawingAreaSize(int& w, int& h)
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

// The monitor the settings name, or the first (with a warning) when there
// is no such monitor.
int ChosenDisplay()
{
    const int count = SDL_GetNumVideoDisplays();
    const int display = video.settings.display;
    if (display < count || count < 1) return display;
    if (!video.settings.headless)
        Warn("there is no monitor " + std::to_string(display) + " (monitors count from 0, and this machine has " +
             std::to_string(count) + "); playing on monitor 0");
    video.settings.display = 0;
    return 0;
}

} // namespace

GlApi Renderer()
{
    return video.settings.gl;
}

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
    finishedReads.clear();
    glapi::Current = UsesRenderer() ? gles::Table() : glapi::DesktopGL();
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
        // SDL only lists the drivers it tried ("x11,kmsdrm not available"):
        // name the display that did not answer instead.
        std::string why = SDL_GetError();
        const char* x11 = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if (why.ends_with("not available"))
            why = x11 != nullptr       ? std::string("Cannot connect to the display '") + x11 + "'"
                  : wayland != nullptr ? std::string("Cannot connect to the Wayland display '") + wayland + "'"
                                       : "There is no display to show the window on";
        else
            why = "Cannot open a display (" + why + ")";
        throw VideoError(VideoError::Reason::NoDisplay, why);
    }
    video.initialised = true;
}

void OpenWindow()
{
    if (!video.initialised || video.window != nullptr) return;
    // The window itself only shows the finished picture; a 32-bit virtual
    // screen shown through a 16-bit window would band again.
    const bool deep = video.settings.colourBits >= 24;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    if (UsesRenderer()) {
        // The kind of context decides the window's GL library and config
        // (EGL or GLX), so it is asked for before the window exists.
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    }

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    // The show's screen size: full screen covers the desktop anyway, and an
    // off-screen window the size of a large render size would be a second
    // large surface (or none at all, past the driver's limits).
    int w = 640;
    int h = 480;
    const int display = ChosenDisplay();
    int x = SDL_WINDOWPOS_CENTERED_DISPLAY(display);
    int y = x;
    SDL_Rect bounds{};
    if (video.settings.windowed && !video.settings.headless) {
        flags |= SDL_WINDOW_RESIZABLE;
        WindowedSize(video.settings, display, w, h);
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
    if (video.window == nullptr && UsesRenderer())
        throw std::runtime_error(std::string("--gl es: no window with OpenGL ES 3.0 can be opened (") + SDL_GetError() +
                                 ")");
    if (video.window != nullptr) ResolveNativeSize(video);
}

void WindowedSize(const VideoSettings& settings, int display, int& width, int& height)
{
    width = settings.windowWidth > 0 ? settings.windowWidth : 1280;
    height = settings.windowHeight > 0 ? settings.windowHeight : 960;
    SDL_Rect usable{};
    if (settings.windowWidth > 0 || SDL_GetDisplayUsableBounds(display, &usable) != 0) return;
    if ((usable.w < width || usable.h < height) && usable.w >= 4 && usable.h >= 3)
        LargestFourByThree(std::min(width, usable.w), std::min(height, usable.h), width, height);
}

HDC GetDC()
{
    return &theDeviceContext;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request)
{
    if (dc == nullptr || request == nullptr || video.window == nullptr) return 0;
    return TakePixelFormat(video.settings, *request) ? 1 : 0;
}

int SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    return dc != nullptr && format == 1 && video.window != nullptr ? 1 : 0;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || video.window == nullptr) return nullptr;
    if (UsesRenderer()) return CreateRendererContext();
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
    // Our renderer leaves the old ES context before the switch: what it
    // batched is drawn there.
    if (UsesRenderer()) gles::MakeCurrent(nullptr);
    if (context == nullptr) {
        if (video.window != nullptr) SDL_GL_MakeCurrent(video.window, nullptr);
        video.current = nullptr;
        return 1;
    }
    if (dc == nullptr || video.window == nullptr) return 0;
    if (SDL_GL_MakeCurrent(video.window, context->gl) != 0) return 0;
    video.current = context;
    SDL_GL_SetSwapInterval(video.settings.fps > 0 && !video.settings.headless ? 1 : 0);
    const bool fresh = !context->screen.active;
    if (fresh) CreateVirtualScreen(context->screen, video.settings, LoadGlFunction);
    if (context->renderer != nullptr) {
        gles::MakeCurrent(context->renderer);
        // --exact: Mesa's rounding whatever the driver (on llvmpipe its own,
        // bit for bit); the virtual screen, bound now, is RGB565 at 16 bits.
        if (fresh && video.settings.exact) gles::EmulateMesaBlending(true);
    }
    return 1;
}

int wglDeleteContext(HGLRC context)
{
    if (context == nullptr) return 0;
    if (UsesRenderer()) gles::MakeCurrent(nullptr);
    if (video.window != nullptr && context->screen.active) {
        SDL_GL_MakeCurrent(video.window, context->gl);
        if (context->renderer != nullptr) {
            // Current, so that its ES objects go now rather than with the ES context.
            gles::MakeCurrent(context->renderer);
            gles::DeleteContext(context->renderer);
            context->renderer = nullptr;
        }
        FinishedRead read;
        while (TakeScreenRead(context->screen, read.rgb, read.width, read.height)) finishedReads.push_back(read);
        DestroyVirtualScreen(context->screen);
        if (video.current != nullptr && video.current != context)
            SDL_GL_MakeCurrent(video.window, video.current->gl);
        else
            SDL_GL_MakeCurrent(video.window, nullptr);
    }
    gles::DeleteContext(context->renderer);
    if (video.current == context) video.current = nullptr;
    if (video.current != nullptr && video.current->renderer != nullptr) gles::MakeCurrent(video.current->renderer);
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
    if (video.current != nullptr && video.current->renderer != nullptr) gles::Flush();
    VirtualScreen* s = CurrentVirtualScreen();
    if (s != nullptr && s->active) {
        int drawableW = 0, drawableH = 0;
        SDL_GL_GetDrawableSize(video.window, &drawableW, &drawableH);
        PresentVirtualScreen(*s, drawableW, drawableH, video.settings.filter);
    }
    SDL_GL_SwapWindow(video.window);
    PaceFrame();
    return 1;
}

void ReadVirtualScreen(std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    width = static_cast<int>(DrawingAreaWidth());
    height = static_cast<int>(DrawingAreaHeight());
    if (video.current == nullptr) {
        rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
        return;
    }
    if (video.current->renderer != nullptr) gles::Flush();
    ReadScreenPixels(video.current->screen, width, height, rgb);
}

bool QueueVirtualScreenRead()
{
    if (video.current == nullptr) return false;
    if (video.current->renderer != nullptr) gles::Flush();
    return QueueScreenRead(video.current->screen, static_cast<int>(DrawingAreaWidth()),
                           static_cast<int>(DrawingAreaHeight()));
}

bool TakeVirtualScreenRead(std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    if (!finishedReads.empty()) {
        FinishedRead& read = finishedReads.front();
        rgb.swap(read.rgb);
        width = read.width;
        height = read.height;
        finishedReads.pop_front();
        return true;
    }
    return video.current != nullptr && TakeScreenRead(video.current->screen, rgb, width, height);
}

void QueryDrawingBits(int& red, int& green, int& blue, int& depth)
{
    red = green = blue = depth = 0;
    if (video.current != nullptr) QueryScreenBits(video.current->screen, red, green, blue, depth);
}

void ResolveNativeSize(VideoState& video)
{
    VideoSettings& s = video.settings;
    if (!s.nativeSize) return;
    // Headless there is no monitor and no window worth measuring: the show's
    // own size.
    int w = 640, h = 480;
    if (!s.headless && s.windowed) {
        SDL_GL_GetDrawableSize(video.window, &w, &h);
    } else if (!s.headless) {
        // Full screen covers the desktop's mode of the chosen monitor; the
        // window is not full screen yet (that is the mode switch, later).
        SDL_DisplayMode mode{};
        const int display = std::clamp(s.display, 0, std::max(0, SDL_GetNumVideoDisplays() - 1));
        if (SDL_GetDesktopDisplayMode(display, &mode) == 0) {
            w = mode.w;
            h = mode.h;
        } else {
            SDL_GL_GetDrawableSize(video.window, &w, &h);
        }
    }
    LargestFourByThree(w, h, s.virtualWidth, s.virtualHeight);
    if (s.virtualWidth < 4) {
        s.virtualWidth = 640;
        s.virtualHeight = 480;
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

bool HasWindow()
{
    return video.window != nullptr && !video.settings.headless;
}

std::string RendererName()
{
    if (wglGetCurrentContext() == nullptr) return "none";
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return name != nullptr ? name : "unknown";
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

} // namespace platform
