// The full-screen display: what takes the place of the original's exclusive
// 640 x 480 x 16 mode switch. Results are HRESULT-style codes: 0 is success.
// By default "exclusive full screen" is a window that covers the desktop
// without changing the monitor's mode; a real mode change happens only when
// the settings ask for it (VideoSettings::modeSwitch). The desktop's mode
// comes back when the video subsystem ends.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct DirectDrawObject;
using HRESULT = std::int32_t;
constexpr HRESULT DD_OK = 0;
constexpr std::uint32_t DDSCL_FULLSCREEN = 0x01;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10;

HRESULT DirectDrawCreate(void* driverGuid, DirectDrawObject** object, void* outer);
// The IDirectDraw2 interface of the object; a failure code when it has none.
HRESULT QueryDirectDraw2(DirectDrawObject* object, DirectDrawObject** interface2);
void Release(DirectDrawObject* object);
HRESULT SetCooperativeLevel(DirectDrawObject* object, void* window, std::uint32_t flags);
HRESULT SetDisplayMode(DirectDrawObject* object, int width, int height, int bitsPerPixel, int refreshRate,
                       std::uint32_t flags);
// The window handle to hand to SetCooperativeLevel.
void* WindowHandle();

} // namespace platform

namespace platform {
// A readable text for a failure code, with what the window system said.
std::string DisplayErrorText(const char* operation, HRESULT code);
// Alt+Enter: full screen to a resizable window and back. Nothing headless.
void ToggleFullScreen();
} // namespace platform
