// The full-screen display over SDL2. "Exclusive full screen" covers the
// desktop with the show's window; a real mode change happens only when asked
// for, and SDL gives the desktop's mode back when the window goes.
#include "platform/Display.h"

#include "platform/VideoInternal.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace platform {

struct DirectDrawObject {};

namespace {

constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760078u);

DirectDrawObject theDisplay;
std::string lastError;

HRESULT Fail(HRESULT code, const std::string& why)
{
    lastError = why;
    return code;
}

} // namespace

HRESULT DirectDrawCreate(void*, DirectDrawObject** object, void*)
{
    if (object == nullptr) return Fail(DDERR_INVALIDPARAMS, "no object to fill");
    if (!CurrentVideo().initialised) return Fail(DDERR_GENERIC, "the video subsystem is not running");
    *object = &theDisplay;
    return DD_OK;
}

HRESULT QueryDirectDraw2(DirectDrawObject* object, DirectDrawObject** interface2)
{
    if (object != &theDisplay || interface2 == nullptr) return Fail(E_NOINTERFACE, "no such interface");
    *interface2 = object;
    return DD_OK;
}

void Release(DirectDrawObject*) {}

void* WindowHandle()
{
    return CurrentVideo().window;
}

HRESULT SetCooperativeLevel(DirectDrawObject* object, void* window, std::uint32_t flags)
{
    VideoState& video = CurrentVideo();
    if (object != &theDisplay || window == nullptr || window != video.window)
        return Fail(DDERR_INVALIDPARAMS, "no window to take the screen");
    const bool exclusive = (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) == (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    if (!exclusive || video.settings.headless || video.settings.windowed) return DD_OK;
    const Uint32 mode = video.settings.modeSwitch ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (SDL_SetWindowFullscreen(video.window, mode) != 0) return Fail(DDERR_GENERIC, SDL_GetError());
    return DD_OK;
}

HRESULT SetDisplayMode(DirectDrawObject* object, int width, int height, int bitsPerPixel, int refreshRate,
                       std::uint32_t)
{
    VideoState& video = CurrentVideo();
    if (object != &theDisplay) return Fail(DDERR_INVALIDPARAMS, "no display object");
    if (!video.settings.modeSwitch || video.settings.headless || video.settings.windowed) return DD_OK;

    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    wanted.refresh_rate = refreshRate;
    wanted.format = bitsPerPixel <= 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
    SDL_DisplayMode closest{};
    const int display = SDL_GetWindowDisplayIndex(video.window);
    if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest) == nullptr)
        return Fail(DDERR_INVALIDMODE, SDL_GetError());
    if (SDL_SetWindowDisplayMode(video.window, &closest) != 0) return Fail(DDERR_INVALIDMODE, SDL_GetError());
    if (SDL_SetWindowFullscreen(video.window, SDL_WINDOW_FULLSCREEN) != 0)
        return Fail(DDERR_INVALIDMODE, SDL_GetError());
    return DD_OK;
}

std::string DisplayErrorText(const char* operation, HRESULT code)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
    std::string text = std::string("Automation error &H") + hex + " in " + operation;
    if (!lastError.empty()) text += ": " + lastError;
    return text;
}

void ToggleFullScreen()
{
    VideoState& video = CurrentVideo();
    if (video.window == nullptr || video.settings.headless) return;
    // Where the window was before it last covered the screen; none when the
    // show started full screen.
    static SDL_Rect windowed{};
    const int display = std::max(0, SDL_GetWindowDisplayIndex(video.window));
    const Uint32 fullScreen = SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP;
    if ((SDL_GetWindowFlags(video.window) & fullScreen) != 0) {
        // SDL alone would put back the last size it knew, which without a
        // window manager is the screen's: give the window its own place.
        SDL_SetWindowFullscreen(video.window, 0);
        SDL_SetWindowBordered(video.window, SDL_TRUE);
        SDL_SetWindowResizable(video.window, SDL_TRUE);
        if (windowed.w == 0) {
            WindowedSize(video.settings, display, windowed.w, windowed.h);
            windowed.x = windowed.y = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
        }
        SDL_SetWindowSize(video.window, windowed.w, windowed.h);
        SDL_SetWindowPosition(video.window, windowed.x, windowed.y);
        return;
    }
    SDL_GetWindowPosition(video.window, &windowed.x, &windowed.y);
    SDL_GetWindowSize(video.window, &windowed.w, &windowed.h);
    // Without a window manager nobody acts on the full-screen request, yet
    // SDL then takes the window to be the screen's size: cover the screen
    // first, as a show that starts full screen does.
    SDL_Rect bounds{};
    if (!video.settings.modeSwitch && SDL_GetDisplayBounds(display, &bounds) == 0) {
        SDL_SetWindowBordered(video.window, SDL_FALSE);
        SDL_SetWindowPosition(video.window, bounds.x, bounds.y);
        SDL_SetWindowSize(video.window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(video.window,
                            video.settings.modeSwitch ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

} // namespace platform
