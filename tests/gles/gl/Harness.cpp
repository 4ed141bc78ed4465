#include "Harness.h"

#include "gles/Gles.h"
#include "image/Png.h"

#include <GLES3/gl3.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <unistd.h>

namespace glestest {

namespace {

SDL_Window* esWindow = nullptr;
SDL_Window* desktopWindow = nullptr;

void RequestEs()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
}

void RequestCompatibility()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

SDL_Window* OpenWindow(const char* title)
{
    SDL_Window* window = SDL_CreateWindow(title, 0, 0, Width, Height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) throw std::runtime_error(std::string("SDL_CreateWindow: ") + SDL_GetError());
    return window;
}

// A 640 x 480 RGB565 colour and DEPTH16 depth framebuffer, bound while it
// lives; the ES entry points serve both kinds of context.
class Framebuffer {
public:
    Framebuffer()
    {
        glGenRenderbuffers(2, buffers_);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, Width, Height);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers_[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, Width, Height);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers_[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers_[1]);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
            throw std::runtime_error("the RGB565 + DEPTH16 framebuffer is incomplete");
    }
    ~Framebuffer()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(2, buffers_);
    }
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // The colour buffer as RGB, top row first.
    std::vector<std::uint8_t> Read() const
    {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(Width) * Height * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, Width, Height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(Width) * Height * 3);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[(static_cast<std::size_t>(Height - 1 - y) * Width + x) * 3 + c] =
                        rgba[(static_cast<std::size_t>(y) * Width + x) * 4 + c];
        return rgb;
    }

private:
    GLuint buffers_[2] = {};
    GLuint framebuffer_ = 0;
};

// A context made current on window for the life of the object.
class SdlContext {
public:
    explicit SdlContext(SDL_Window* window) : context_(SDL_GL_CreateContext(window))
    {
        if (context_ == nullptr) throw std::runtime_error(std::string("SDL_GL_CreateContext: ") + SDL_GetError());
        SDL_GL_MakeCurrent(window, context_);
    }
    ~SdlContext()
    {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    SdlContext(const SdlContext&) = delete;
    SdlContext& operator=(const SdlContext&) = delete;

private:
    SDL_GLContext context_;
};

} // namespace

void OpenWindows()
{
    // No display here: the environment may still name another driver.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_DEFAULT);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) throw std::runtime_error(std::string("SDL_Init: ") + SDL_GetError());
    RequestEs();
    esWindow = OpenWindow("citadel gles");
    RequestCompatibility();
    desktopWindow = OpenWindow("citadel gl");
}

void CloseWindows()
{
    SDL_DestroyWindow(esWindow);
    SDL_DestroyWindow(desktopWindow);
    SDL_Quit();
}

std::vector<std::uint8_t> DrawWithDriver(const Body& body)
{
    RequestCompatibility();
    const SdlContext context(desktopWindow);
    const Framebuffer framebuffer;
    body(glapi::DesktopGL());
    return framebuffer.Read();
}

std::vector<std::uint8_t> DrawWithRenderer(const Body& body)
{
    RequestEs();
    const SdlContext context(esWindow);
    const Framebuffer framebuffer;
    gles::Context* renderer = gles::CreateContext();
    gles::MakeCurrent(renderer);
    try {
        body(gles::Table());
        gles::Flush();
    } catch (...) {
        gles::DeleteContext(renderer);
        throw;
    }
    auto pixels = framebuffer.Read();
    gles::DeleteContext(renderer);
    return pixels;
}

Difference Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    Difference d;
    std::size_t beyond = 0, differing = 0;
    const std::size_t pixels = std::min(a.size(), b.size()) / 3;
    for (std::size_t p = 0; p < pixels; ++p) {
        int worst = 0;
        for (std::size_t c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[3 * p + c] - b[3 * p + c]));
        beyond += worst > 9;
        differing += worst > 0;
        d.worst = std::max(d.worst, worst);
    }
    d.beyondStep = static_cast<double>(beyond) / static_cast<double>(pixels);
    d.differing = static_cast<double>(differing) / static_cast<double>(pixels);
    return d;
}

std::string WriteFrames(const std::string& name, const std::vector<std::uint8_t>& driver,
                        const std::vector<std::uint8_t>& renderer)
{
    const auto folder = std::filesystem::temp_directory_path() / ("citadel-gles-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::uint8_t> difference(driver.size());
    for (std::size_t k = 0; k < driver.size() && k < renderer.size(); ++k)
        difference[k] = static_cast<std::uint8_t>(std::min(255, 16 * std::abs(driver[k] - renderer[k])));
    image::WritePng((folder / (name + "-driver.png")).string(), Width, Height, 3, driver.data());
    image::WritePng((folder / (name + "-renderer.png")).string(), Width, Height, 3, renderer.data());
    image::WritePng((folder / (name + "-difference.png")).string(), Width, Height, 3, difference.data());
    return folder.string();
}

} // namespace glestest
