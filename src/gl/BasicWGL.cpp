#include "gl/BasicWGL.h"

#include "platform/App.h"
#include "runtime/Runtime.h"

namespace BasicWGL {

platform::HGLRC ContextHandle = nullptr;

void SetupPixelFormat(platform::HDC hDC)
{
    // Built afresh on each call: a double-buffered RGBA window with OpenGL,
    // 16 colour bits and a 16-bit depth buffer, main plane; all else 0.
    platform::PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = 40;
    pfd.nVersion = 1;
    pfd.dwFlags = platform::PFD_DRAW_TO_WINDOW | platform::PFD_SUPPORT_OPENGL | platform::PFD_DOUBLEBUFFER;
    pfd.iPixelType = platform::PFD_TYPE_RGBA;
    pfd.cColorBits = 16;
    pfd.cDepthBits = 16;
    pfd.iLayerType = platform::PFD_MAIN_PLANE;

    const int pixelFormat = platform::ChoosePixelFormat(hDC, &pfd);
    if (pixelFormat == 0) FatalError("Could not retrieve pixel format!");
    platform::SetPixelFormat(hDC, pixelFormat, &pfd);
}

void FatalError(const std::string& message)
{
    platform::MsgBox("Fatal Error: " + message, platform::vbCritical, "Fatal Error In " + platform::AppTitle());
    throw Runtime::Exit{1};
}

void ReleaseGL()
{
    if (ContextHandle == nullptr) return;
    platform::wglMakeCurrent(nullptr, nullptr);
    platform::wglDeleteContext(ContextHandle);
}

} // namespace BasicWGL
