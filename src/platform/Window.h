// The window and its OpenGL binding.
//
// What the show asks of the window system, in its own terms: a device
// context to draw on, a pixel format chosen from a request, a rendering
// context created, made current and deleted, and a buffer swap. Behind it:
// one SDL2 window with an OpenGL context, and a virtual screen (see
// VirtualScreen.h) that the show draws into. Presenting scales that virtual
// screen to the window's drawable at 4:3 with black bars. With GlApi::Es the
// context is OpenGL ES 3.0 and each rendering context carries one of our
// renderer's (gles/Gles.h), made current, flushed and deleted along with it.
//
// A port provides: InitVideo, OpenWindow, GetDC, ChoosePixelFormat,
// SetPixelFormat, wglCreateContext, wglMakeCurrent, wglDeleteContext,
// wglGetCurrentContext, SwapBuffers, DrawingAreaWidth/Height, ShowWindow,
// HasWindow, RendererName, ShutdownVideo.
#pragma once

#include "platform/VirtualScreen.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

// The window system's pixel-format descriptor, field for field (40 bytes).
struct PIXELFORMATDESCRIPTOR {
    std::uint16_t nSize;
    std::uint16_t nVersion;
    std::uint32_t dwFlags;
    std::uint8_t iPixelType;
    std::uint8_t cColorBits;
    std::uint8_t cRedBits;
    std::uint8_t cRedShift;
    std::uint8_t cGreenBits;
    std::uint8_t cGreenShift;
    std::uint8_t cBlueBits;
    std::uint8_t cBlueShift;
    std::uint8_t cAlphaBits;
    std::uint8_t cAlphaShift;
    std::uint8_t cAccumBits;
    std::uint8_t cAccumRedBits;
    std::uint8_t cAccumGreenBits;
    std::uint8_t cAccumBlueBits;
    std::uint8_t cAccumAlphaBits;
    std::uint8_t cDepthBits;
    std::uint8_t cStencilBits;
    std::uint8_t cAuxBuffers;
    std::uint8_t iLayerType;
    std::uint8_t bReserved;
    std::uint32_t dwLayerMask;
    std::uint32_t dwVisibleMask;
    std::uint32_t dwDamageMask;
};
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);

constexpr std::uint32_t PFD_DOUBLEBUFFER = 0x01;
constexpr std::uint32_t PFD_DRAW_TO_WINDOW = 0x04;
constexpr std::uint32_t PFD_SUPPORT_OPENGL = 0x20;
constexpr std::uint8_t PFD_TYPE_RGBA = 0;
constexpr std::uint8_t PFD_MAIN_PLANE = 0;

struct DeviceContext;    // the window's drawing surface
struct RenderingContext; // an OpenGL context
using HDC = DeviceContext*;
using HGLRC = RenderingContext*;

// What draws the show's GL 1.1: the driver's own fixed function in a
// compatibility context, or our renderer on an OpenGL ES 3.0 context.
enum class GlApi { Compat, Es };

struct VideoSettings {
    bool headless = false;   // SDL's offscreen driver: no window, no display needed
    bool windowed = false;   // a resizable window instead of covering the desktop
    int windowWidth = 0;     // 0: 1280 x 960, or the largest 4:3 size that fits the
    int windowHeight = 0;    // monitor's usable area where that is smaller
    int display = 0;         // monitor index
    bool modeSwitch = false; // really switch the monitor to 640 x 480 x 16
    ScaleFilter filter = ScaleFilter::Linear;
    int fps = 60;           // 0: present as fast as the drawing allows
    int virtualWidth = 640; // the virtual screen the show draws into
    int virtualHeight = 480;
    bool nativeSize = false; // virtual screen: the largest 4:3 area of the window's drawable
    int colourBits = 16;     // 16: RGB565; 32: RGBA8
    int depthBits = 16;      // 16 or 24
    int msaa = 0;            // samples per pixel; 0: none
    GlApi gl = GlApi::Compat;
    bool exact = false; // our renderer stores fragments as Mesa's llvmpipe rounds them
    std::string appName = "citadel";
};

// Why the video subsystem cannot give what the settings ask for. The text
// states the fact; what to do about it is for the caller to say.
class VideoError : public std::runtime_error {
public:
    enum class Reason {
        NoDisplay, // no window system to open a window on
        RenderSizeTooLarge,
        TooManySamples,
        NoFramebuffer, // the driver cannot give the virtual screen's formats
    };
    VideoError(Reason reason, const std::string& what) : std::runtime_error(what), reason(reason) {}
    Reason reason;
};

// Starts the video subsystem, with glapi::Current bound to what Renderer()
// chooses for these settings. Throws VideoError (NoDisplay) when no display
// can be opened.
void InitVideo(const VideoSettings& settings);

// What draws the show's GL 1.1 with the settings InitVideo was given: the
// one place that decides it. Natively the settings' gl (--gl); a browser has
// WebGL 2 alone, so there always our renderer. The window and its contexts
// are made for it.
GlApi Renderer();

// Creates the show's window, hidden, as the window object exists before its
// load event runs; a native render size gets its size here. When the window
// system refuses (no OpenGL, say), there is no window, and the show's own
// ChoosePixelFormat finds no pixel format.
void OpenWindow();

// The window's device context.
HDC GetDC();

// Index of the closest matching pixel format (always 1 here), 0 when the
// window system cannot give an OpenGL window for the request. The request's
// colour and depth bits are the virtual screen's.
int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request);
int SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* request);
HGLRC wglCreateContext(HDC dc);
// With a context: makes it current and draws into the virtual screen from
// then on. With nulls: no context is current. Throws VideoError when the
// driver cannot give the virtual screen the settings ask for.
int wglMakeCurrent(HDC dc, HGLRC context);
int wglDeleteContext(HGLRC context);
// The context current on this thread, or null.
HGLRC wglGetCurrentContext();
// Presents the virtual screen (scaled, with bars), swaps and paces to the
// frame rate. Leaves every GL state of the show as it was.
int SwapBuffers(HDC dc);

// The drawing-area size the window reports, in pixels: the virtual screen.
float DrawingAreaWidth();
float DrawingAreaHeight();

// Shows the window (after start-up, before the first frame).
void ShowWindow();

// Whether a window exists that a message box could belong to.
bool HasWindow();

// The name of the current context's renderer, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
std::string RendererName();

// Ends the video subsystem: full screen released, desktop mode back.
void ShutdownVideo();

} // namespace platform
