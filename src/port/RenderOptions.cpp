#include "port/RenderOptions.h"

#include "port/OptionValues.h"
#include "runtime/Text.h"

namespace {

// ViewWidth and ViewHeight are 16-bit.
constexpr int MaxRenderSide = 32767;

void ParseRenderSize(const std::string& text, platform::VideoSettings& video)
{
    if (Runtime::Lower(text) == "native") {
        video.nativeSize = true;
        return;
    }
    int w = 0, h = 0;
    if (!Runtime::ParseSize(text, 1 << 30, w, h) || w < 4 || h < 3)
        throw UsageError("--render-size", "expected WxH (e.g. 1280x960) or native, got '" + text + "'");
    if (static_cast<long long>(w) * 3 != static_cast<long long>(h) * 4)
        throw UsageError("--render-size", text +
                                              " is not 4:3 (width * 3 must equal height * 4): the show's view is fixed "
                                              "at 4:3; e.g. 800x600, 1024x768, 1280x960, 1600x1200, or native");
    if (w > MaxRenderSide || h > MaxRenderSide)
        throw UsageError("--render-size",
                         text + " is too large: at most " + std::to_string(MaxRenderSide) + " pixels a side");
    video.nativeSize = false;
    video.virtualWidth = w;
    video.virtualHeight = h;
}

} // namespace

void ApplyRenderOptions(const RenderRequest& request, platform::VideoSettings& video)
{
    if (request.remaster) {
        video.nativeSize = true;
        video.colourBits = 32;
        video.depthBits = 24;
        video.msaa = 4;
    }
    if (!request.size.empty()) ParseRenderSize(request.size, video);
    if (request.colourDepth != 0) video.colourBits = request.colourDepth;
    if (request.depthBits != 0) video.depthBits = request.depthBits;
    if (request.msaa >= 0) video.msaa = request.msaa;
}
