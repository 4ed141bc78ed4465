// The virtual screen over OpenGL framebuffer objects, and the sizes around
// it: the native render size of the window or monitor, the driver's limits
// on it (which only a current context can tell), and where the finished
// picture lands in the window.
#include "platform/VirtualScreen.h"

#include "platform/App.h"
#include "platform/VideoInternal.h"

#include <algorithm>
#include <string>

namespace platform {

namespace {

std::string SizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

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

// Refuses a virtual screen of a size or sample count past the current
// context's driver limits.
void CheckLimits(const VideoSettings& s)
{
    GLint maxRenderbuffer = 0, maxSamples = 0;
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);

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

} // namespace

void CreateVirtualScreen(VirtualScreen& s, const VideoSettings& settings)
{
    FramebufferFunctions& f = s.fn;
    LoadFramebufferFunctions(f);
    if (!FramebufferFunctionsComplete(f)) {
        Warn("no framebuffer objects; drawing straight into the window");
        return;
    }
    const int w = settings.virtualWidth;
    const int h = settings.virtualHeight;
    const int samples = settings.msaa;
    CheckLimits(settings);

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

void PresentVirtualScreen(VirtualScreen& s, int drawableWidth, int drawableHeight, ScaleFilter filter)
{
    const Box box = FitBox(s.width, s.height, drawableWidth, drawableHeight, filter);

    // Only the clear colour and the scissor test touch what follows; both go
    // back to the show's values afterwards.
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    if (scissor) glDisable(GL_SCISSOR_TEST);

    const GLuint source = ResolvedFramebuffer(s);
    s.fn.BindFramebuffer(GL_READ_FRAMEBUFFER, source);
    s.fn.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLenum glFilter = filter == ScaleFilter::Linear ? GL_LINEAR : GL_NEAREST;
    s.fn.BlitFramebuffer(0, 0, s.width, s.height, box.x, box.y, box.x + box.width, box.y + box.height,
                         GL_COLOR_BUFFER_BIT, glFilter);

    s.fn.BindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
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

void LargestFourByThree(int width, int height, int& fitWidth, int& fitHeight)
{
    // Whole multiples of 4 x 3, so that width * 3 == height * 4 exactly:
    // the frustum is 4:3 and a picture of any other shape would be stretched.
    const int unit = std::max(0, std::min(width / 4, height / 3));
    fitWidth = unit * 4;
    fitHeight = unit * 3;
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

} // namespace platform
