// The page around the canvas: what the port tells it once the show is over,
// and the pictures it hangs on the page for whoever checks the show.
#include "platform/web/Browser.h"

#include <emscripten/emscripten.h>

namespace platform::web {

// clang-format off
EM_JS(void, PageEnded, (int withError, int frames), {
    if (window.citadelPage) window.citadelPage.ended(withError !== 0, frames);
});

// The browser's own PNG encoder: the RGB bytes through a 2D canvas.
EM_JS(void, PageSnapshot, (int frame, const std::uint8_t* rgb, int width, int height, int last), {
    const canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    const g = canvas.getContext('2d');
    const image = g.createImageData(width, height);
    const out = image.data;
    for (let i = 0, j = 0; j < out.length; i += 3, j += 4) {
        out[j] = HEAPU8[rgb + i];
        out[j + 1] = HEAPU8[rgb + i + 1];
        out[j + 2] = HEAPU8[rgb + i + 2];
        out[j + 3] = 255;
    }
    g.putImageData(image, 0, 0);
    if (window.citadelPage) window.citadelPage.snapshot(frame, canvas.toDataURL('image/png'), last !== 0);
});
// clang-format on

void ShowEnded(bool withError, int frames)
{
    PageEnded(withError ? 1 : 0, frames);
}

void ShowSnapshot(int frame, const std::vector<std::uint8_t>& rgb, int width, int height, bool last)
{
    if (rgb.size() < static_cast<std::size_t>(width) * height * 3 || width <= 0 || height <= 0) return;
    PageSnapshot(frame, rgb.data(), width, height, last ? 1 : 0);
}

} // namespace platform::web
