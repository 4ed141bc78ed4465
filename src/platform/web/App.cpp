// Application services in the browser: the show's files lie in the in-memory
// file system, where the page put them before main() ran, and a message box
// is a message on the page.
#include "platform/App.h"

#include "platform/AppInternal.h"
#include "platform/web/WebVideo.h"

#include <emscripten/emscripten.h>

#include <cstdio>

namespace platform {

// clang-format off
EM_JS(void, PageShowMessage, (const char* title, const char* text, int critical), {
    if (window.citadelPage) window.citadelPage.showMessage(UTF8ToString(title), UTF8ToString(text), critical !== 0);
});
// clang-format on

std::string ProgramFolder()
{
    return "/citadel";
}

std::string AppTitle()
{
    return web::CurrentVideo().settings.appName;
}

void MsgBox(const std::string& prompt, int style, const std::string& title)
{
    // The console keeps a copy, as stderr does natively.
    std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
    std::fflush(stderr);
    PageShowMessage(title.c_str(), prompt.c_str(), (style & vbCritical) != 0 ? 1 : 0);
}

} // namespace platform
