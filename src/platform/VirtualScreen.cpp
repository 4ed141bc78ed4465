// The virtual screen over framebuffer objects: the driver's limits on it
// (which only a current context can tell), the present by blit, and the
// read-back. Only calls that desktop GL 3.0 and OpenGL ES 3.0 share, through
// the screen's table of functions: no SDL and no desktop GL header here.
#include "platform/ScreenGL.h"

#include "platform/App.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace platform {

namespace {

std::string SizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

template <typename Function>
void Load(Function& function, GlLoader load, const char* name)
{
    function = reinterpret_cast<Function>(load(name));
}

// The calls every GL has: without them nothing can be presented or read.
void LoadBasicFunctions(ScreenFunctions& f, GlLoader load)
{
    Load(f.GetIntegerv, load, "glGetIntegerv");
    Load(f.GetFloatv, load, "glGetFloatv");
    Load(f.IsEnabled, load, "glIsEnabled");
    Load(f.Enable, load, "glEnable");
    Load(f.Disable, load, "glDisable");
    Load(f.ClearColor, load, "glClearColor");
    Load(f.Clear, load, "glClear");
    Load(f.PixelStorei, load, "glPixelStorei");
    Load(f.ReadPixels, load, "glReadPixels");
    if (!(f.GetIntegerv && f.GetFloatv && f.IsEnabled && f.Enable && f.Disable && f.ClearColor && f.Clear &&
          f.PixelStorei && f.ReadPixels))
        throw std::runtime_error("The graphics driver lacks a basic OpenGL function (glGetIntegerv ... glReadPixels)");
}

void LoadFramebufferFunctions(ScreenFunctions& f, GlLoader load)
{
    Load(f.GenFramebuffers, load, "glGenFramebuffers");
    Load(f.DeleteFramebuffers, load, "glDeleteFramebuffers");
    Load(f.BindFramebuffer, load, "glBindFramebuffer");
    Load(f.GenRenderbuffers, load, "glGenRenderbuffers");
    Load(f.DeleteRenderbuffers, load, "glDeleteRenderbuffers");
    Load(f.BindRenderbuffer, load, "glBindRenderbuffer");
    Load(f.RenderbufferStorageMultisample, load, "glRenderbufferStorageMultisample");
    Load(f.FramebufferRenderbuffer, load, "glFramebufferRenderbuffer");
    Load(f.CheckFramebufferStatus, load, "glCheckFramebufferStatus");
    Load(f.BlitFramebuffer, load, "glBlitFramebuffer");
}

void LoadBufferFunctions(ScreenFunctions& f, GlLoader load)
{
    Load(f.GenBuffers, load, "glGenBuffers");
    Load(f.DeleteBuffers, load, "glDeleteBuffers");
    Load(f.BindBuffer, load, "glBindBuffer");
    Load(f.BufferData, load, "glBufferData");
    Load(f.MapBufferRange, load, "glMapBufferRange");
    Load(f.UnmapBuffer, load, "glUnmapBuffer");
}

bool BufferFunctionsComplete(const ScreenFunctions& f)
{
    return f.GenBuffers && f.DeleteBuffers && f.BindBuffer && f.BufferData && f.MapBufferRange && f.UnmapBuffer;
}

bool FramebufferFunctionsComplete(const ScreenFunctions& f)
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

GLuint NewRenderbuffer(const ScreenFunctions& f, int samples, GLenum format, int w, int h)
{
    GLuint rb = 0;
    f.GenRenderbuffers(1, &rb);
    f.BindRenderbuffer(GL_RENDERBUFFER, rb);
    f.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, w, h);
    f.BindRenderbuffer(GL_RENDERBUFFER, 0);
    return rb;
}

// Refuses a virtual screen of a size or sample count past the current
// context's driver limits.
void CheckLimits(const ScreenFunctions& f, const VideoSettings& s)
{
    GLint maxRenderbuffer = 0, maxSamples = 0;
    GLint maxViewport[2] = {0, 0};
    f.GetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    f.GetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    f.GetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);

    const int maxWidth = std::min(maxRenderbuffer, maxViewport[0]);
    const int maxHeight = std::min(maxRenderbuffer, maxViewport[1]);
    if (s.virtualWidth > maxWidth || s.virtualHeight > maxHeight)
        throw VideoError(VideoError::Reason::RenderSizeTooLarge,
                         "The render size " + SizeText(s.virtualWidth, s.virtualHeight) +
                             " is larger than the graphics driver allows (" + SizeText(maxWidth, maxHeight) +
                             " at most: GL_MAX_RENDERBUFFER_SIZE " + std::to_string(maxRenderbuffer) + ")");
    if (s.msaa > maxSamples)
        throw VideoError(VideoError::Reason::TooManySamples,
                         "The graphics driver gives at most " + std::to_string(maxSamples) +
                             " samples a pixel (GL_MAX_SAMPLES), not " + std::to_string(s.msaa));
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

// Bytes a pixel as the screen is read: its own 5-6-5 layout where the
// driver reads that (a copy, where RGB bytes take a conversion), otherwise
// RGB, or RGBA where only that is sure.
std::size_t ReadBytes(const VirtualScreen& s)
{
    return s.read565 ? 2 : s.readRgba ? 4 : 3;
}

// Reads the finished picture's lower-left width x height pixels to pixels
// (an offset into the bound pixel pack buffer, if one is), packed tightly.
void ReadFinishedPicture(VirtualScreen& s, int width, int height, void* pixels)
{
    const ScreenFunctions& f = s.fn;
    GLint packAlignment = 4;
    f.GetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    f.PixelStorei(GL_PACK_ALIGNMENT, 1);
    if (s.active) f.BindFramebuffer(GL_READ_FRAMEBUFFER, ResolvedFramebuffer(s));
    if (s.read565)
        f.ReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, pixels);
    else
        f.ReadPixels(0, 0, width, height, s.readRgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    if (s.active) f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    f.PixelStorei(GL_PACK_ALIGNMENT, packAlignment);
}

// A 5- or 6-bit level as a byte, its bits repeated: the driver's own
// reading of the 5-6-5 picture as bytes.
constexpr std::uint8_t ExpandBits(unsigned value, unsigned bits)
{
    return static_cast<std::uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}

// GL's rows (bottom row first, 5-6-5, RGB or RGBA, as ReadBytes says) as
// RGB, top row first.
void TopRowFirst(const std::uint8_t* bottomUp, std::size_t bytes, int width, int height, std::vector<std::uint8_t>& rgb)
{
    static const auto levels = [] {
        std::array<std::array<std::uint8_t, 64>, 2> l{}; // five bits, six bits
        for (unsigned v = 0; v < 64; ++v) {
            l[0][v] = ExpandBits(v & 31, 5);
            l[1][v] = ExpandBits(v, 6);
        }
        return l;
    }();
    const std::size_t row = static_cast<std::size_t>(width);
    rgb.resize(row * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = bottomUp + static_cast<std::size_t>(height - 1 - y) * row * bytes;
        std::uint8_t* to = rgb.data() + static_cast<std::size_t>(y) * row * 3;
        if (bytes == 3) {
            std::copy_n(from, row * 3, to);
        } else if (bytes == 4) {
            for (std::size_t x = 0; x < row; ++x, from += 4, to += 3) {
                to[0] = from[0];
                to[1] = from[1];
                to[2] = from[2];
            }
        } else {
            for (std::size_t x = 0; x < row; ++x, from += 2, to += 3) {
                std::uint16_t pixel = 0;
                std::memcpy(&pixel, from, 2); // GL packs in the machine's byte order
                to[0] = levels[0][pixel >> 11];
                to[1] = levels[1][(pixel >> 5) & 63];
                to[2] = levels[0][pixel & 31];
            }
        }
    }
}

void DeleteReadBuffers(VirtualScreen& s)
{
    for (ScreenRead& read : s.reads)
        if (read.buffer != 0) s.fn.DeleteBuffers(1, &read.buffer);
    s.reads = {};
    s.firstRead = s.queuedReads = 0;
}

} // namespace

bool TakePixelFormat(VideoSettings& settings, const PIXELFORMATDESCRIPTOR& request)
{
    const std::uint32_t needed = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if ((request.dwFlags & needed) != needed || request.iPixelType != PFD_TYPE_RGBA ||
        request.iLayerType != PFD_MAIN_PLANE)
        return false;
    if (settings.colourBits == 16) settings.colourBits = request.cColorBits;
    if (settings.depthBits == 16) settings.depthBits = request.cDepthBits;
    return true;
}

void CreateVirtualScreen(VirtualScreen& s, const VideoSettings& settings, GlLoader load)
{
    ScreenFunctions& f = s.fn;
    LoadBasicFunctions(f, load);
    LoadFramebufferFunctions(f, load);
    LoadBufferFunctions(f, load);
    if (!FramebufferFunctionsComplete(f)) {
        Warn("no framebuffer objects; drawing straight into the window");
        return;
    }
    const int w = settings.virtualWidth;
    const int h = settings.virtualHeight;
    const int samples = settings.msaa;
    CheckLimits(f, settings);

    f.GenFramebuffers(1, &s.drawFbo);
    f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    s.colour = NewRenderbuffer(f, samples, ColourFormat(settings.colourBits), w, h);
    s.depth = NewRenderbuffer(f, samples, DepthFormat(settings.depthBits), w, h);
    f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
    f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
    bool complete = f.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

    if (complete && samples > 0) {
        // Multisampled pictures are resolved into a plain one before they are
        // scaled or read back.
        f.GenFramebuffers(1, &s.resolveFbo);
        f.BindFramebuffer(GL_FRAMEBUFFER, s.resolveFbo);
        s.resolveColour = NewRenderbuffer(f, 0, ColourFormat(settings.colourBits), w, h);
        f.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.resolveColour);
        complete = f.CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    if (!complete) {
        f.BindFramebuffer(GL_FRAMEBUFFER, 0);
        const GLuint fbos[] = {s.drawFbo, s.resolveFbo};
        const GLuint rbs[] = {s.colour, s.depth, s.resolveColour};
        f.DeleteFramebuffers(2, fbos);
        f.DeleteRenderbuffers(3, rbs);
        throw VideoError(VideoError::Reason::NoFramebuffer, "The graphics driver cannot give a " + std::to_string(w) +
                                                                " x " + std::to_string(h) + " screen with " +
                                                                std::to_string(settings.colourBits) + "-bit colour, " +
                                                                std::to_string(settings.depthBits) + "-bit depth and " +
                                                                std::to_string(samples) + " samples");
    }
    s.width = w;
    s.height = h;
    s.active = true;
    f.BindFramebuffer(GL_READ_FRAMEBUFFER, s.resolveFbo != 0 ? s.resolveFbo : s.drawFbo);
    // The layout the driver reads without converting (ES promises only RGBA
    // bytes besides it; a GL without the query leaves 0).
    GLint readFormat = 0, readType = 0;
    f.GetIntegerv(GL_IMPLEMENTATION_COLOR_READ_FORMAT, &readFormat);
    f.GetIntegerv(GL_IMPLEMENTATION_COLOR_READ_TYPE, &readType);
    s.read565 =
        ColourFormat(settings.colourBits) == GL_RGB565 && readFormat == GL_RGB && readType == GL_UNSIGNED_SHORT_5_6_5;
    f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
}

void DestroyVirtualScreen(VirtualScreen& s)
{
    if (!s.active) return;
    const ScreenFunctions& f = s.fn;
    DeleteReadBuffers(s);
    f.BindFramebuffer(GL_FRAMEBUFFER, 0);
    GLuint fbos[] = {s.drawFbo, s.resolveFbo};
    GLuint rbs[] = {s.colour, s.depth, s.resolveColour};
    f.DeleteFramebuffers(2, fbos);
    f.DeleteRenderbuffers(3, rbs);
    s = VirtualScreen{};
}

void PresentVirtualScreen(VirtualScreen& s, int drawableWidth, int drawableHeight, ScaleFilter filter,
                          const ShowState* known)
{
    const ScreenFunctions& f = s.fn;
    const Box box = FitBox(s.width, s.height, drawableWidth, drawableHeight, filter);

    // Only the clear colour and the scissor test touch what follows; both go
    // back to the show's values afterwards.
    ShowState show;
    if (known != nullptr) {
        show = *known;
    } else {
        f.GetFloatv(GL_COLOR_CLEAR_VALUE, show.clearColour.data());
        show.scissor = f.IsEnabled(GL_SCISSOR_TEST) != GL_FALSE;
    }
    if (show.scissor) f.Disable(GL_SCISSOR_TEST);

    const GLuint source = ResolvedFramebuffer(s);
    f.BindFramebuffer(GL_READ_FRAMEBUFFER, source);
    f.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Bars only where the picture leaves some.
    if (LeavesBars(box, drawableWidth, drawableHeight)) {
        f.ClearColor(0, 0, 0, 1);
        f.Clear(GL_COLOR_BUFFER_BIT);
    }
    const GLenum glFilter = Smoothed(box, s.width, s.height, filter) ? GL_LINEAR : GL_NEAREST;
    f.BlitFramebuffer(0, 0, s.width, s.height, box.x, box.y, box.x + box.width, box.y + box.height, GL_COLOR_BUFFER_BIT,
                      glFilter);

    f.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    f.ClearColor(show.clearColour[0], show.clearColour[1], show.clearColour[2], show.clearColour[3]);
    if (show.scissor) f.Enable(GL_SCISSOR_TEST);
}

void ReadScreenPixels(VirtualScreen& s, int width, int height, std::vector<std::uint8_t>& rgb)
{
    rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    if (width == 0 || height == 0 || s.fn.ReadPixels == nullptr) return;
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * height * ReadBytes(s));
    ReadFinishedPicture(s, width, height, bottomUp.data());
    TopRowFirst(bottomUp.data(), ReadBytes(s), width, height, rgb);
}

bool QueueScreenRead(VirtualScreen& s, int width, int height)
{
    const ScreenFunctions& f = s.fn;
    if (!s.active || !BufferFunctionsComplete(f) || s.queuedReads == QueuedScreenReads || width <= 0 || height <= 0)
        return false;
    ScreenRead& read = s.reads[static_cast<std::size_t>((s.firstRead + s.queuedReads) % QueuedScreenReads)];
    const std::size_t bytes = static_cast<std::size_t>(width) * height * ReadBytes(s);
    if (read.buffer == 0) f.GenBuffers(1, &read.buffer);
    f.BindBuffer(GL_PIXEL_PACK_BUFFER, read.buffer);
    if (read.capacity != bytes) {
        f.BufferData(GL_PIXEL_PACK_BUFFER, static_cast<std::ptrdiff_t>(bytes), nullptr, GL_STREAM_READ);
        read.capacity = bytes;
    }
    ReadFinishedPicture(s, width, height, nullptr);
    // Unbound, so that every other read-back goes to client memory again.
    f.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    read.width = width;
    read.height = height;
    ++s.queuedReads;
    return true;
}

bool TakeScreenRead(VirtualScreen& s, std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    if (s.queuedReads == 0) return false;
    const ScreenFunctions& f = s.fn;
    ScreenRead& read = s.reads[static_cast<std::size_t>(s.firstRead)];
    s.firstRead = (s.firstRead + 1) % QueuedScreenReads;
    --s.queuedReads;
    width = read.width;
    height = read.height;
    f.BindBuffer(GL_PIXEL_PACK_BUFFER, read.buffer);
    // Mapping waits for the transfer, which has had the frames since to end.
    const auto* bottomUp = static_cast<const std::uint8_t*>(
        f.MapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<std::ptrdiff_t>(read.capacity), GL_MAP_READ_BIT));
    if (bottomUp == nullptr) {
        f.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        throw std::runtime_error("the graphics driver lost a picture read back (glMapBufferRange failed)");
    }
    TopRowFirst(bottomUp, ReadBytes(s), width, height, rgb);
    f.UnmapBuffer(GL_PIXEL_PACK_BUFFER);
    f.BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return true;
}

void QueryScreenBits(const VirtualScreen& s, int& red, int& green, int& blue, int& depth)
{
    red = green = blue = depth = 0;
    if (s.fn.GetIntegerv == nullptr) return;
    s.fn.GetIntegerv(GL_RED_BITS, &red);
    s.fn.GetIntegerv(GL_GREEN_BITS, &green);
    s.fn.GetIntegerv(GL_BLUE_BITS, &blue);
    s.fn.GetIntegerv(GL_DEPTH_BITS, &depth);
}

void LargestFourByThree(int width, int height, int& fitWidth, int& fitHeight)
{
    // Whole multiples of 4 x 3, so that width * 3 == height * 4 exactly:
    // the frustum is 4:3 and a picture of any other shape would be stretched.
    const int unit = std::max(0, std::min(width / 4, height / 3));
    fitWidth = unit * 4;
    fitHeight = unit * 3;
}

Box FitBox(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight, ScaleFilter filter)
{
    Box box;
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) return box;
    if (filter == ScaleFilter::Integer) {
        const int factor = std::max(1, std::min(targetWidth / sourceWidth, targetHeight / sourceHeight));
        box.width = sourceWidth * factor;
        box.height = sourceHeight * factor;
    } else if (static_cast<long long>(targetWidth) * sourceHeight >
               static_cast<long long>(targetHeight) * sourceWidth) {
        // Wider than the picture: bars left and right.
        box.height = targetHeight;
        box.width = static_cast<int>(static_cast<long long>(targetHeight) * sourceWidth / sourceHeight);
    } else {
        box.width = targetWidth;
        box.height = static_cast<int>(static_cast<long long>(targetWidth) * sourceHeight / sourceWidth);
    }
    box.x = (targetWidth - box.width) / 2;
    box.y = (targetHeight - box.height) / 2;
    return box;
}

bool LeavesBars(const Box& box, int targetWidth, int targetHeight)
{
    return box.x > 0 || box.y > 0 || box.width < targetWidth || box.height < targetHeight;
}

bool Smoothed(const Box& box, int sourceWidth, int sourceHeight, ScaleFilter filter)
{
    return filter == ScaleFilter::Linear && (box.width != sourceWidth || box.height != sourceHeight);
}

} // namespace platform
