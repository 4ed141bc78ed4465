// Title images, the interlude's swirl and the light map: light on pure
// black, since the show makes exactly black pixels transparent.
#include "Canvas.h"
#include "FontText.h"
#include "Pack.h"

#include <algorithm>
#include <cmath>

namespace pack {
namespace {

// The standing camera of the title phase looks at the title cube's -z face,
// where the image appears turned by 180 degrees; the titles are stored
// turned so that they read upright there.
constexpr bool TurnTitles = true;

float Coord(int pixel)
{
    return (static_cast<float>(pixel) + 0.5f) / static_cast<float>(Size);
}

struct Line {
    mot::TextBitmap bitmap;
    int top = 0;
};

// Renders a line no wider than `maxWidth`, starting from `pixelHeight`.
mot::TextBitmap FitLine(const std::string& font, int pixelHeight, const std::string& text, int tracking, int maxWidth)
{
    mot::TextBitmap bitmap = mot::RenderLine(font, pixelHeight, text, tracking);
    while (bitmap.width > maxWidth && pixelHeight > 8) {
        pixelHeight = std::max(8, pixelHeight * maxWidth / bitmap.width);
        bitmap = mot::RenderLine(font, pixelHeight, text, tracking);
        if (bitmap.width > maxWidth) --pixelHeight;
    }
    return bitmap;
}

// Light lettering: warm white at the top of each line, cool white below.
void Stamp(Canvas& canvas, const mot::TextBitmap& bitmap, int top)
{
    const int left = (Size - bitmap.width) / 2;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            const int cx = left + x, cy = top + y;
            if (cx < 0 || cx >= Size || cy < 0 || cy >= Size) continue;
            const float cover = bitmap.coverage[static_cast<std::size_t>(y) * bitmap.width + x] / 255.0f;
            const float t = static_cast<float>(y) / static_cast<float>(bitmap.height);
            const Rgb ink = Mix(Rgb{1.0f, 0.96f, 0.84f}, Rgb{0.84f, 0.90f, 1.0f}, t);
            Rgb& pixel = canvas.At(cx, cy);
            const Rgb laid = ink * cover;
            pixel = {std::max(pixel.r, laid.r), std::max(pixel.g, laid.g), std::max(pixel.b, laid.b)};
        }
}

// A thin rule, tapering toward its ends.
void Rule(Canvas& canvas, int y, int halfLength)
{
    for (int x = Size / 2 - halfLength; x < Size / 2 + halfLength; ++x) {
        const float taper = 1.0f - std::fabs(static_cast<float>(x - Size / 2)) / static_cast<float>(halfLength);
        const Rgb ink = Rgb{0.95f, 0.88f, 0.70f} * std::sqrt(taper);
        canvas.At(x, y) = ink;
        canvas.At(x, y + 1) = ink * 0.6f;
    }
}

mot::MotImage Finish(const Canvas& canvas)
{
    mot::MotImage image = canvas.ToMot();
    if (TurnTitles) {
        const std::size_t count = image.rgb.size() / 3;
        for (std::size_t k = 0; k < count / 2; ++k)
            for (int c = 0; c < 3; ++c) std::swap(image.rgb[k * 3 + c], image.rgb[(count - 1 - k) * 3 + c]);
    }
    return image;
}

} // namespace

mot::MotImage MakeTitleText(const std::vector<std::string>& lines)
{
    Canvas canvas(Size, Size);
    std::vector<mot::TextBitmap> rendered;
    int total = 0;
    for (const std::string& text : lines) {
        rendered.push_back(FitLine(mot::FontDir + "DejaVuSansCondensed-Bold.ttf", 40, text, 2, 232));
        total += rendered.back().height;
    }
    const int spacing = 6;
    total += spacing * (static_cast<int>(lines.size()) - 1);
    int top = (Size - total) / 2;
    Rule(canvas, top - 14, 70);
    for (const mot::TextBitmap& bitmap : rendered) {
        Stamp(canvas, bitmap, top);
        top += bitmap.height + spacing;
    }
    Rule(canvas, top + 8, 70);
    return Finish(canvas);
}

mot::MotImage MakeTitle()
{
    Canvas canvas(Size, Size);
    const mot::TextBitmap name = FitLine(mot::FontDir + "DejaVuSerif-Bold.ttf", 64, "CITADEL", 3, 236);
    const int top = (Size - name.height) / 2;
    Stamp(canvas, name, top);
    Rule(canvas, top - 8, 110);
    Rule(canvas, top + name.height + 6, 110);
    return Finish(canvas);
}

// Four noise-warped spiral arms that fill the panel out to its edges, since
// the camera passes closest to the panels' outer parts. The interlude adds
// eight copies and the show's coloured lights tint them, so the colours are
// pale and the level stays under half of full. The lanes between the arms
// are exact black; only the last few pixels fade, so no panel edge shows.
mot::MotImage MakeSwirl()
{
    constexpr int Arms = 4;
    constexpr float Peak = 0.49f;
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float r = std::max(1e-3f, std::sqrt(dx * dx + dy * dy));
            const float angle = std::atan2(dy, dx);
            const float warp = Fbm(u * 4, v * 4, 4, 4, 901U);
            // The linear term keeps the arms evenly spaced outward instead
            // of widening as a pure logarithmic spiral does.
            const float phase = Arms * angle + 3.0f * std::log(r) + 22.0f * r + 2.0f * warp;
            const float arm = 0.5f + 0.5f * std::cos(phase);
            const float plasma = 0.5f + 0.5f * Fbm(u * 6 + 3 * warp, v * 6 - 3 * warp, 6, 3, 902U);
            const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
            const float border = SmoothStep(0.0f, 0.05f, edge);
            const float eye = 0.4f + 0.6f * SmoothStep(0.02f, 0.14f, r);
            const float lane = SmoothStep(0.22f, 0.6f, arm);
            const float crest = std::pow(arm, 10.0f);
            const float glow = std::min(1.0f, (lane * (0.55f + 0.3f * plasma) + 0.3f * crest) * border * eye);
            const float tint = 0.5f + 0.5f * std::sin(2.0f * angle + 9.0f * r + 3.0f * warp);
            const Rgb hue = Mix(Rgb{0.80f, 0.92f, 1.0f}, Rgb{1.0f, 0.80f, 0.90f}, tint);
            canvas.At(x, y) = glow < 0.03f ? Rgb{} : hue * (Peak * glow);
        }
    return canvas.ToMot();
}

mot::MotImage MakeLightMap()
{
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float dx = Coord(x) - 0.5f, dy = Coord(y) - 0.5f;
            const float falloff = Clamp01(1.0f - std::sqrt(dx * dx + dy * dy) / 0.46f);
            canvas.At(x, y) = Rgb{1.0f, 0.95f, 0.82f} * (falloff * falloff);
        }
    return canvas.ToMot();
}

const std::vector<PackFile>& PackFiles()
{
    static const std::vector<PackFile> files = {
        {"Tex0.MOT", MakeGround},
        {"Tex1.MOT", MakeWall},
        {"Tex2.MOT", MakeBattlements},
        {"Tex3.MOT", MakeClouds},
        {"Tex4.MOT", MakeNightSky},
        {"Tex5.MOT", MakeTowerStone},
        {"Text0.MOT",
         [] {
             return MakeTitleText({"WE PROUDLY", "PRESENT"});
         }},
        {"Text1.MOT",
         [] {
             return MakeTitleText({"A REAL-TIME", "SHOW"});
         }},
        {"Text2.MOT",
         [] {
             return MakeTitleText({"MUSIC AND", "GRAPHICS", "MADE IN CODE"});
         }},
        {"Tittle.MOT", MakeTitle},
        {"Dist0.MOT", MakeSwirl},
        {"LightMap.MOT", MakeLightMap},
        {"CBTex0.MOT", MakeCathedralWall},
        {"CBTex1.MOT", MakeRoof},
        {"CBTex2.MOT", MakeRoseWindow},
        {"CBTex3.MOT", MakeWingFront},
    };
    return files;
}

} // namespace pack
