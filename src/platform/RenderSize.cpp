// Sizes around the virtual screen: the native render size of the window or
// monitor, the driver's limits on it (which only a current context can
// tell), and where the finished picture lands in the window.
#include "platform/VideoInternal.h"

#include "runtime/Runtime.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace platform {

namespace {

std::string SizeText(int width, int height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

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
    int w = 0, h = 0;
    if (s.headless) {
        // No monitor and no window worth measuring: the show's own size.
        std::fprintf(stderr, "citadel: --render-size native has no display to measure with --headless; "
                             "drawing at 640x480\n");
        w = 640;
        h = 480;
    } else if (s.windowed) {
        SDL_GL_GetDrawableSize(video.window, &w, &h);
    } else {
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

void CheckVirtualScreenLimits(const VideoSettings& s)
{
    GLint maxRenderbuffer = 0, maxSamples = 0;
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxRenderbuffer);
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);

    const int maxWidth = std::min(maxRenderbuffer, maxViewport[0]);
    const int maxHeight = std::min(maxRenderbuffer, maxViewport[1]);
    if (s.virtualWidth > maxWidth || s.virtualHeight > maxHeight)
        throw Runtime::RuntimeError("The render size " + SizeText(s.virtualWidth, s.virtualHeight) +
                                    " is larger than the graphics driver allows (" + SizeText(maxWidth, maxHeight) +
                                    " at most: GL_MAX_RENDERBUFFER_SIZE " + std::to_string(maxRenderbuffer) +
                                    "); choose a smaller --render-size");
    if (s.msaa > maxSamples)
        throw Runtime::RuntimeError("The graphics driver gives at most " + std::to_string(maxSamples) +
                                    " samples a pixel (GL_MAX_SAMPLES), not the " + std::to_string(s.msaa) +
                                    " that --msaa asks for");
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
