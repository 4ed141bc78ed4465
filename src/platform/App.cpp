// Application services over SDL2: the program folder, the title and the
// message box (the rest is in Portable.cpp).
#include "platform/App.h"

#include "platform/AppInternal.h"
#include "platform/VideoInternal.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

bool boxesWithoutWindow = false;

} // namespace

std::string ProgramFolder()
{
    char* base = SDL_GetBasePath();
    std::string folder = base != nullptr ? base : ".";
    SDL_free(base);
    return folder;
}

std::string AppTitle()
{
    return CurrentVideo().settings.appName;
}

void MsgBox(const std::string& prompt, int style, const std::string& title)
{
    std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
    std::fflush(stderr);
    const bool window = HasWindow();
    // Without a display SDL's box fails at once; the check only spares it the try.
    const bool display = std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
    if (!window && !(boxesWithoutWindow && display)) return;
    const Uint32 flags = (style & vbCritical) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, title.c_str(), prompt.c_str(), window ? CurrentVideo().window : nullptr);
}

void AllowBoxesWithoutWindow(bool allowed)
{
    boxesWithoutWindow = allowed;
}

} // namespace platform
