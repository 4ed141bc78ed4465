// The virtual screen's OpenGL side: its framebuffer objects, the present by
// blit and the read-back. It calls only what desktop GL 3.0 and OpenGL ES 3.0
// (WebGL 2) share, through a table the window code fills with its own loader,
// so that the browser build compiles this part unchanged. Not for the show.
#pragma once

#include "platform/VirtualScreen.h"
#include "platform/Window.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Looks a GL entry point of the current context up by name; null if absent.
using GlLoader = void* (*)(const char* name);

// The GL entry points the virtual screen calls, in plain C types so that no
// GL header needs to be seen here.
struct ScreenFunctions {
    void (*GetIntegerv)(unsigned pname, int* data) = nullptr;
    void (*GetFloatv)(unsigned pname, float* data) = nullptr;
    unsigned char (*IsEnabled)(unsigned cap) = nullptr;
    void (*Enable)(unsigned cap) = nullptr;
    void (*Disable)(unsigned cap) = nullptr;
    void (*ClearColor)(float red, float green, float blue, float alpha) = nullptr;
    void (*Clear)(unsigned mask) = nullptr;
    void (*PixelStorei)(unsigned pname, int param) = nullptr;
    void (*ReadPixels)(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels) = nullptr;
    // Framebuffer objects (GL 3.0, ES 3.0); without them there is no virtual screen.
    void (*GenFramebuffers)(int n, unsigned* framebuffers) = nullptr;
    void (*DeleteFramebuffers)(int n, const unsigned* framebuffers) = nullptr;
    void (*BindFramebuffer)(unsigned target, unsigned framebuffer) = nullptr;
    void (*GenRenderbuffers)(int n, unsigned* renderbuffers) = nullptr;
    void (*DeleteRenderbuffers)(int n, const unsigned* renderbuffers) = nullptr;
    void (*BindRenderbuffer)(unsigned target, unsigned renderbuffer) = nullptr;
    void (*RenderbufferStorageMultisample)(unsigned target, int samples, unsigned format, int width,
                                           int height) = nullptr;
    void (*FramebufferRenderbuffer)(unsigned target, unsigned attachment, unsigned renderbufferTarget,
                                    unsigned renderbuffer) = nullptr;
    unsigned (*CheckFramebufferStatus)(unsigned target) = nullptr;
    void (*BlitFramebuffer)(int srcX0, int srcY0, int srcX1, int srcY1, int dstX0, int dstY0, int dstX1, int dstY1,
                            unsigned mask, unsigned filter) = nullptr;
    // Pixel buffer objects and their mapping (GL 3.0, ES 3.0); without them
    // every read-back waits for the picture.
    void (*GenBuffers)(int n, unsigned* buffers) = nullptr;
    void (*DeleteBuffers)(int n, const unsigned* buffers) = nullptr;
    void (*BindBuffer)(unsigned target, unsigned buffer) = nullptr;
    void (*BufferData)(unsigned target, std::ptrdiff_t size, const void* data, unsigned usage) = nullptr;
    void* (*MapBufferRange)(unsigned target, std::ptrdiff_t offset, std::ptrdiff_t length, unsigned access) = nullptr;
    unsigned char (*UnmapBuffer)(unsigned target) = nullptr;
};

// A picture on its way back from the driver: read into a pixel buffer
// object, mapped only when it is wanted.
struct ScreenRead {
    unsigned buffer = 0;
    std::size_t capacity = 0; // the buffer's bytes
    int width = 0;
    int height = 0;
};

// The off-screen picture the show draws into, one per rendering context.
struct VirtualScreen {
    bool active = false;
    int width = 0;
    int height = 0;
    unsigned drawFbo = 0;
    unsigned colour = 0;
    unsigned depth = 0;
    unsigned resolveFbo = 0; // multisampled screens resolve into this one
    unsigned resolveColour = 0;
    bool readRgba = false; // read back as RGBA bytes, the one layout ES promises
    bool read565 = false;  // read back in the screen's own RGB565 layout, which the driver offers
    std::array<ScreenRead, QueuedScreenReads> reads;
    int firstRead = 0;   // the oldest queued
    int queuedReads = 0; // in reads, from firstRead on, round
    ScreenFunctions fn;
};

// Whether a requested pixel format is one the show can have (an RGBA
// window with OpenGL, main plane). Its colour and depth bits go to the
// virtual screen's settings, unless these already ask for more.
bool TakePixelFormat(VideoSettings& settings, const PIXELFORMATDESCRIPTOR& request);

// Loads the screen's functions with load and builds the virtual screen of
// the settings on the current context. Without framebuffer objects the show
// draws straight into the window (a warning). Throws VideoError when the
// driver cannot give what the settings ask for.
void CreateVirtualScreen(VirtualScreen& screen, const VideoSettings& settings, GlLoader load);

// Deletes the screen's framebuffers (its context current).
void DestroyVirtualScreen(VirtualScreen& screen);

// The state the present changes and puts back, as the show set it.
struct ShowState {
    std::array<float, 4> clearColour{0, 0, 0, 0};
    bool scissor = false;
};

// Scales the finished picture into the window's back buffer (drawable
// width x height) with bars, and binds the virtual screen again; the show's
// clear colour and scissor test are left as they were: as known says where
// the caller tracks them (in a browser every question to GL waits for the
// GPU process), as GL says otherwise.
void PresentVirtualScreen(VirtualScreen& screen, int drawableWidth, int drawableHeight, ScaleFilter filter,
                          const ShowState* known = nullptr);

// The finished picture's lower-left width x height pixels as RGB, top row
// first; from the window itself when the screen is not active.
void ReadScreenPixels(VirtualScreen& screen, int width, int height, std::vector<std::uint8_t>& rgb);

// Starts reading the finished picture's lower-left width x height pixels
// into a pixel buffer object, to be mapped later. False where the screen is
// not active, the context has no pixel buffer objects, or QueuedScreenReads
// are queued already.
bool QueueScreenRead(VirtualScreen& screen, int width, int height);

// The oldest queued picture, as ReadScreenPixels would have given it when it
// was queued, waiting for what has not arrived yet; false when none is queued.
// Throws std::runtime_error when the driver cannot map it.
bool TakeScreenRead(VirtualScreen& screen, std::vector<std::uint8_t>& rgb, int& width, int& height);

// The colour and depth bits of the framebuffer the show draws into.
void QueryScreenBits(const VirtualScreen& screen, int& red, int& green, int& blue, int& depth);

} // namespace platform
