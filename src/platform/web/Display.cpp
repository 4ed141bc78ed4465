// The full-screen display in the browser: the page owns full screen (its
// button), so taking the display succeeds and changes nothing.
#include "platform/Display.h"

#include "platform/web/WebVideo.h"

namespace platform {

struct DirectDrawObject {};

namespace {

DirectDrawObject theDisplay;
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);

} // namespace

HRESULT DirectDrawCreate(void*, DirectDrawObject** object, void*)
{
    if (object == nullptr) return DDERR_INVALIDPARAMS;
    *object = &theDisplay;
    return DD_OK;
}

HRESULT QueryDirectDraw2(DirectDrawObject* object, DirectDrawObject** interface2)
{
    if (object != &theDisplay || interface2 == nullptr) return DDERR_INVALIDPARAMS;
    *interface2 = object;
    return DD_OK;
}

void Release(DirectDrawObject*) {}

HRESULT SetCooperativeLevel(DirectDrawObject*, void*, std::uint32_t)
{
    return DD_OK;
}

HRESULT SetDisplayMode(DirectDrawObject*, int, int, int, int, std::uint32_t)
{
    return DD_OK;
}

void* WindowHandle()
{
    return &web::CurrentVideo();
}

std::string DisplayErrorText(const char* operation, HRESULT code)
{
    return std::string("Automation error ") + std::to_string(code) + " in " + operation;
}

void ToggleFullScreen() {}

} // namespace platform
