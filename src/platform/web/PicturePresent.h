// The finished picture as a texture, shown by a draw instead of a blit.
//
// Without a GPU the browser draws with a software rasteriser (SwiftShader),
// which blits a picture pixel by pixel on one thread once the frame's
// drawing is done: with the 5-6-5 picture going into the canvas's 8-bit
// pixels, two fifths of a frame's time in the page. Drawn as one textured
// triangle, the same pixels come out of the rasteriser's threads, in a
// fraction of that.
#pragma once

#include "platform/ScreenGL.h"

#include <array>

namespace platform::web {

struct PicturePresenter {
    unsigned texture = 0; // the virtual screen's colour
    unsigned program = 0;
    unsigned array = 0;            // an empty vertex array: the triangle comes from the vertex's index
    int filter = 0;                // the texture's filter as last set
    std::array<int, 4> viewport{}; // the context's own, before the show sets one
};

// Gives the virtual screen a texture for its colour in place of its
// renderbuffer (same format and size), and builds what draws it. False,
// with the screen as it was, where that cannot be: a multisampled screen
// (its picture comes from a resolve), or a driver that refuses.
bool AttachPictureTexture(VirtualScreen& screen, PicturePresenter& picture);

// As PresentVirtualScreen: the picture scaled into the canvas's drawing
// buffer (drawable width x height) with bars, the virtual screen bound
// again, and the renderer's ES state put back.
void PresentPicture(VirtualScreen& screen, PicturePresenter& picture, int drawableWidth, int drawableHeight,
                    ScaleFilter filter);

// Deletes what AttachPictureTexture made (its context current).
void DeletePicturePresenter(PicturePresenter& picture);

} // namespace platform::web
