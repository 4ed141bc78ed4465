// A stand-in for libEGL (SDL loads it through SDL_VIDEO_EGL_DRIVER) that
// passes everything on to the real one except what CITADEL_FAILING_EGL
// names: "create" refuses every context, "bind" refuses to make a context
// current once SDL has made its first one current.
#include <EGL/egl.h>

#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

bool Fails(const char* what)
{
    const char* mode = std::getenv("CITADEL_FAILING_EGL");
    return mode != nullptr && std::strcmp(mode, what) == 0;
}

template <typename Function>
Function Real(const char* name)
{
    static void* const egl = dlopen("libEGL.so.1", RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<Function>(dlsym(egl, name));
}

} // namespace

extern "C" EGLContext eglCreateContext(EGLDisplay display, EGLConfig config, EGLContext share, const EGLint* attributes)
{
    if (Fails("create")) return EGL_NO_CONTEXT;
    return Real<decltype(&eglCreateContext)>("eglCreateContext")(display, config, share, attributes);
}

extern "C" EGLBoolean eglMakeCurrent(EGLDisplay display, EGLSurface draw, EGLSurface read, EGLContext context)
{
    static int bound = 0;
    if (context != EGL_NO_CONTEXT && Fails("bind") && ++bound > 1) return EGL_FALSE;
    return Real<decltype(&eglMakeCurrent)>("eglMakeCurrent")(display, draw, read, context);
}
