// The window and its OpenGL binding in the browser: the page's canvas with a
// WebGL 2 context, and our GL 1.1 renderer drawing on it into the virtual
// screen.
#include "platform/Window.h"

#include "glapi/Gl11.h"
#include "gles/Gles.h"
#include "platform/web/Browser.h"
#include "platform/web/PicturePresent.h"
#include "platform/web/WebVideo.h"

#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct DeviceContext {};

namespace {

constexpr const char* Canvas = "#canvas";

DeviceContext theDeviceContext;
web::VideoState video;

// clang-format off
EM_JS(int, PageHasWebGl2, (), {
    try {
        return document.createElement('canvas').getContext('webgl2') ? 1 : 0;
    } catch (e) {
        return 0;
    }
});
// How the browser scales the canvas's drawing buffer to the size it shows
// at: smoothly, or keeping each pixel's edges.
EM_JS(void, StyleCanvasScaling, (const char* selector, int pixelated), {
    const canvas = document.querySelector(UTF8ToString(selector));
    if (canvas) canvas.style.imageRendering = pixelated ? "pixelated" : "auto";
});
// clang-format on

// Gives the canvas's drawing buffer the size it shows at, in device pixels,
// but no larger than largestWidth x largestHeight (in proportion): the
// present's scale and the browser's work with the buffer cost its pixels, so
// a large window must not make them grow; the browser scales the rest (CSS).
void FitCanvas(int& width, int& height, int largestWidth, int largestHeight)
{
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(Canvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    const double shrink = std::min({1.0, largestWidth / (cssWidth * ratio), largestHeight / (cssHeight * ratio)});
    const int wanted[2] = {static_cast<int>(std::lround(cssWidth * ratio * shrink)),
                           static_cast<int>(std::lround(cssHeight * ratio * shrink))};
    emscripten_get_canvas_element_size(Canvas, &width, &height);
    if (wanted[0] > 0 && wanted[1] > 0 && (wanted[0] != width || wanted[1] != height)) {
        emscripten_set_canvas_element_size(Canvas, wanted[0], wanted[1]);
        width = wanted[0];
        height = wanted[1];
    }
}

} // namespace

namespace web {

VideoState& CurrentVideo()
{
    return video;
}

bool HasWebGl2()
{
    return PageHasWebGl2() != 0;
}

} // namespace web

GlApi Renderer()
{
    return GlApi::Es;
}

void InitVideo(const VideoSettings& settings)
{
    video.settings = settings;
    video.settings.gl = Renderer();
    glapi::Current = gles::Table();
    // Each check of the ES context for errors waits for the browser's GPU
    // process: none in the frames, only where a snapshot waits for its
    // pixels anyway (ReadVirtualScreen).
    gles::CheckErrorsEvery(0);
    video.initialised = true;
}

void OpenWindow()
{
    if (!video.initialised) return;
    // No canvas or no WebGL 2: no window, and the show finds no pixel format.
    int width = 0, height = 0;
    video.window =
        emscripten_get_canvas_element_size(Canvas, &width, &height) == EMSCRIPTEN_RESULT_SUCCESS && web::HasWebGl2();
    // Beyond the capped buffer (twice the picture) the browser scales the
    // rest: by the nearest pixel too where the show's own scale does.
    if (video.window) StyleCanvasScaling(Canvas, video.settings.filter != ScaleFilter::Linear ? 1 : 0);
    // A native render size: the largest 4:3 area of the canvas as it shows.
    if (video.window && video.settings.nativeSize) {
        // Drawn at the canvas's size, up to twice 640 x 480.
        FitCanvas(width, height, 1280, 960);
        if (width >= 4 && height >= 3)
            LargestFourByThree(width, height, video.settings.virtualWidth, video.settings.virtualHeight);
    }
}

HDC GetDC()
{
    return &theDeviceContext;
}

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request)
{
    if (dc == nullptr || request == nullptr || !video.window) return 0;
    return TakePixelFormat(video.settings, *request) ? 1 : 0;
}

int SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    return dc != nullptr && format == 1 && video.window ? 1 : 0;
}

HGLRC wglCreateContext(HDC dc)
{
    if (dc == nullptr || !video.window) return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The canvas only shows the finished picture: no depth, and no samples,
    // which a blit into it would refuse.
    attributes.alpha = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.antialias = false;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE webgl = emscripten_webgl_create_context(Canvas, &attributes);
    if (webgl <= 0) return nullptr;
    auto* context = new RenderingContext;
    context->webgl = static_cast<int>(webgl);
    return context;
}

int wglMakeCurrent(HDC dc, HGLRC context)
{
    if (context == nullptr) {
        gles::MakeCurrent(nullptr);
        emscripten_webgl_make_context_current(0);
        video.current = nullptr;
        return 1;
    }
    if (dc == nullptr || !video.window) return 0;
    if (video.current != nullptr && video.current != context) gles::MakeCurrent(nullptr);
    if (emscripten_webgl_make_context_current(context->webgl) != EMSCRIPTEN_RESULT_SUCCESS) return 0;
    if (!context->screen.active) {
        // RGBA is the one read-back layout WebGL promises.
        context->screen.readRgba = true;
        CreateVirtualScreen(context->screen, video.settings, emscripten_webgl_get_proc_address);
        web::AttachPictureTexture(context->screen, context->picture);
        // Not the 5-6-5 layout even where the browser offers it: its own
        // widening to bytes is the one the page's pictures were made with.
        context->screen.read565 = false;
    }
    const bool fresh = context->gles == nullptr;
    if (fresh) context->gles = gles::CreateContext();
    gles::MakeCurrent(context->gles);
    // The browser's rasteriser blends in floating point and rounds where the
    // native program's (Mesa's llvmpipe) blends in 8 bits and truncates: the
    // interlude's layers add the difference up to a few 5/6/5 steps. With
    // --exact (exact=1) the renderer stores as Mesa stores and the pictures
    // agree, at a third of the page's frame rate; the virtual screen, bound
    // now, is RGB565.
    if (fresh && video.settings.exact) gles::EmulateMesaBlending(true);
    video.current = context;
    return 1;
}

int wglDeleteContext(HGLRC context)
{
    if (context == nullptr) return 0;
    RenderingContext* previous = video.current;
    if (previous != nullptr && previous != context) gles::MakeCurrent(nullptr);
    // Our renderer frees its ES objects only while its context is current.
    emscripten_webgl_make_context_current(context->webgl);
    if (context->gles != nullptr) {
        gles::MakeCurrent(context->gles);
        gles::DeleteContext(context->gles);
    }
    web::DeletePicturePresenter(context->picture);
    if (context->screen.active) DestroyVirtualScreen(context->screen);
    if (previous != nullptr && previous != context) {
        emscripten_webgl_make_context_current(previous->webgl);
        gles::MakeCurrent(previous->gles);
    } else {
        emscripten_webgl_make_context_current(0);
        video.current = nullptr;
    }
    emscripten_webgl_destroy_context(context->webgl);
    delete context;
    return 1;
}

HGLRC wglGetCurrentContext()
{
    return video.current != nullptr && emscripten_webgl_get_current_context() == video.current->webgl ? video.current
                                                                                                      : nullptr;
}

int SwapBuffers(HDC dc)
{
    if (dc == nullptr || !video.window || video.current == nullptr) return 0;
    gles::Flush();
    if (video.current->screen.active) {
        // Scaled up linearly, the picture looks the same scaled by the
        // browser: the buffer need be no larger than the picture. Nearest and
        // integer scales keep their edges up to twice its size.
        const int scale = video.settings.filter == ScaleFilter::Linear ? 1 : 2;
        int width = 0, height = 0;
        FitCanvas(width, height, scale * video.settings.virtualWidth, scale * video.settings.virtualHeight);
        // The renderer knows the clear colour and never enables the scissor
        // test: the present asks the browser nothing.
        if (video.current->picture.texture != 0) {
            web::PresentPicture(video.current->screen, video.current->picture, width, height, video.settings.filter);
        } else {
            const ShowState show{.clearColour = gles::ClearColour(), .scissor = false};
            PresentVirtualScreen(video.current->screen, width, height, video.settings.filter, &show);
        }
    }
    // The browser shows the canvas when this frame's callback returns.
    return 1;
}

void ReadVirtualScreen(std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    width = static_cast<int>(DrawingAreaWidth());
    height = static_cast<int>(DrawingAreaHeight());
    rgb.clear();
    if (video.current == nullptr) return;
    gles::Flush();
    ReadScreenPixels(video.current->screen, width, height, rgb);
    // The read has waited for the GPU process: the one check for errors.
    gles::CheckErrors();
}

// WebGL 2 maps no buffers: the page reads only while it waits.
bool QueueVirtualScreenRead()
{
    return false;
}

bool TakeVirtualScreenRead(std::vector<std::uint8_t>&, int&, int&)
{
    return false;
}

void QueryDrawingBits(int& red, int& green, int& blue, int& depth)
{
    red = green = blue = depth = 0;
    if (video.current != nullptr) QueryScreenBits(video.current->screen, red, green, blue, depth);
}

float DrawingAreaWidth()
{
    return static_cast<float>(video.settings.virtualWidth);
}

float DrawingAreaHeight()
{
    return static_cast<float>(video.settings.virtualHeight);
}

void ShowWindow() {}

bool HasWindow()
{
    return video.window;
}

std::string RendererName()
{
    if (wglGetCurrentContext() == nullptr) return "none";
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return std::string(name != nullptr ? name : "unknown") + " (" + (version != nullptr ? version : "?") + ")";
}

void ShutdownVideo()
{
    video.current = nullptr;
    video.window = false;
    video.initialised = false;
}

} // namespace platform
