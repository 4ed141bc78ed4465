// The virtual screen in WebGL 2: a 640 x 480 RGB565 picture with a 16-bit
// depth buffer in a framebuffer object, scaled onto the canvas each frame.
#include "platform/VirtualScreen.h"

#include "platform/web/WebVideo.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <string>

namespace platform {

namespace web {

void CreateScreen(Screen& s, const VideoSettings& settings)
{
    const int w = settings.virtualWidth;
    const int h = settings.virtualHeight;
    glGenFramebuffers(1, &s.drawFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
    glGenRenderbuffers(1, &s.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, settings.colourBits >= 24 ? GL_RGBA8 : GL_RGB565, w, h);
    glGenRenderbuffers(1, &s.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, s.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, settings.depthBits >= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16, w,
                          h);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        DestroyScreen(s);
        throw VideoError(VideoError::Reason::NoFramebuffer, "WebGL cannot give a " + std::to_string(w) + " x " +
                                                                std::to_string(h) + " screen with " +
                                                                std::to_string(settings.colourBits) + "-bit colour");
    }
    s.width = w;
    s.height = h;
    s.active = true;
}

void DestroyScreen(Screen& s)
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &s.drawFbo);
    const GLuint rbs[] = {s.colour, s.depth};
    glDeleteRenderbuffers(2, rbs);
    s = Screen{};
}

void PresentScreen(const Screen& s, int canvasWidth, int canvasHeight)
{
    // The canvas keeps the picture's 4:3 (the page sizes it so), and the
    // renderer never enables the scissor test: one blit fills it.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.drawFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, s.width, s.height, 0, 0, canvasWidth, canvasHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);
}

} // namespace web

void ReadVirtualScreen(std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    const RenderingContext* context = web::CurrentVideo().current;
    width = height = 0;
    rgb.clear();
    if (context == nullptr || !context->screen.active) return;
    const Screen& s = context->screen;
    width = s.width;
    height = s.height;

    // RGBA bytes are the one read format every ES 3.0 framebuffer allows.
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.drawFbo);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindFramebuffer(GL_FRAMEBUFFER, s.drawFbo);

    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = rgba.data() + static_cast<std::size_t>(height - 1 - y) * width * 4;
        std::uint8_t* to = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, from += 4, to += 3) std::copy_n(from, 3, to);
    }
}

void QueryDrawingBits(int& red, int& green, int& blue, int& depth)
{
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
}

} // namespace platform
