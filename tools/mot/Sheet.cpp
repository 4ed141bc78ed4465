#include "Sheet.h"

#include "FontText.h"

#include <algorithm>
#include <stdexcept>

namespace mot {
namespace {

constexpr int Gap = 8;
constexpr int LabelHeight = 22;
constexpr std::uint8_t Backdrop = 40; // grey, so that black parts of images stay visible as such

// Area-average scaling: every destination pixel averages the source pixels
// it covers, so fine patterns shrink without aliasing.
void DrawScaled(const MotImage& image, SheetImage& sheet, int left, int top, int w, int h)
{
    for (int y = 0; y < h; ++y) {
        const int y0 = y * image.height / h;
        const int y1 = std::max(y0 + 1, (y + 1) * image.height / h);
        for (int x = 0; x < w; ++x) {
            const int x0 = x * image.width / w;
            const int x1 = std::max(x0 + 1, (x + 1) * image.width / w);
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += image.rgb[(static_cast<std::size_t>(sy) * image.width + sx) * 3 + c];
            const unsigned count = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            std::uint8_t* out = &sheet.rgb[(static_cast<std::size_t>(top + y) * sheet.width + left + x) * 3];
            for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
        }
    }
}

void DrawLabel(const std::string& text, SheetImage& sheet, int left, int top, int width)
{
    TextBitmap label;
    try {
        label = RenderLine(FontDir + "DejaVuSans.ttf", 14, text);
    } catch (const std::runtime_error&) {
        return; // no font: the sheet is still useful without names
    }
    const int x0 = left + std::max(0, (width - label.width) / 2);
    for (int y = 0; y < label.height && top + y < sheet.height; ++y)
        for (int x = 0; x < label.width && x0 + x < left + width; ++x) {
            const unsigned a = label.coverage[static_cast<std::size_t>(y) * label.width + x];
            std::uint8_t* out = &sheet.rgb[(static_cast<std::size_t>(top + y) * sheet.width + x0 + x) * 3];
            for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((out[c] * (255 - a) + 230 * a + 127) / 255);
        }
}

} // namespace

SheetImage BuildSheet(std::size_t count, int columns, int cell,
                      const std::function<std::pair<std::string, MotImage>(std::size_t)>& load)
{
    if (count == 0 || columns < 1 || cell < 1) throw std::runtime_error("a contact sheet needs at least one image");
    columns = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(columns), count));
    const long long rows = static_cast<long long>((count + static_cast<std::size_t>(columns) - 1) / columns);
    const long long width = Gap + static_cast<long long>(columns) * (cell + Gap);
    const long long height = Gap + rows * (cell + LabelHeight + Gap);
    if (width * height > MaxSheetPixels)
        throw std::runtime_error("a sheet of " + std::to_string(width) + "x" + std::to_string(height) +
                                 " pixels is larger than " + std::to_string(MaxSheetPixels >> 20) +
                                 " million; use a smaller --cell, or fewer images or --columns");
    SheetImage sheet;
    sheet.width = static_cast<int>(width);
    sheet.height = static_cast<int>(height);
    sheet.rgb.assign(static_cast<std::size_t>(width * height) * 3, Backdrop);

    for (std::size_t i = 0; i < count; ++i) {
        const auto [label, image] = load(i);
        const int left = Gap + static_cast<int>(i % columns) * (cell + Gap);
        const int top = Gap + static_cast<int>(i / columns) * (cell + LabelHeight + Gap);
        const int longest = std::max(image.width, image.height);
        const int w = std::max(1, image.width * cell / longest);
        const int h = std::max(1, image.height * cell / longest);
        DrawScaled(image, sheet, left + (cell - w) / 2, top + (cell - h) / 2, w, h);
        DrawLabel(label, sheet, left, top + cell + 3, cell);
    }
    return sheet;
}

} // namespace mot
