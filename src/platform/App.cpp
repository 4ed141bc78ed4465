// Application services over SDL2: the program folder, the title and the
// message box (the rest is in Portable.cpp).
#include "platform/App.h"

#include "platform/AppInternal.h"
#include "platform/VideoInternal.h"

#include <cstdio>

namespace platform {

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
    if (!HasWindow()) return;
    const Uint32 flags = (style & vbCritical) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, title.c_str(), prompt.c_str(), CurrentVideo().window);
}

} // namespace platform
