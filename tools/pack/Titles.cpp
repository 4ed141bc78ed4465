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

// Spiral arms of light around a dark eye. The panels are added eight deep
// where they cross, so the brightest channel stays under half of full.
mot::MotImage MakeSwirl()
{
    constexpr int Arms = 3;
    Canvas canvas(Size, Size);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const float u = Coord(x), v = Coord(y);
            const float dx = u - 0.5f, dy = v - 0.5f;
            const float r = std::max(1e-4f, std::sqrt(dx * dx + dy * dy));
            const float angle = std::atan2(dy, dx);
            const float turbulence = 1.4f * Fbm(u * 5, v * 5, 5, 4, 901U);
            const float phase = Arms * angle + 7.0f * std::log(r) + turbulence;
            const float arm = std::pow(0.5f + 0.5f * std::cos(phase), 3.0f);
            const float envelope = SmoothStep(0.03f, 0.14f, r) * (1.0f - SmoothStep(0.22f, 0.46f, r));
            const float sparkle = 0.75f + 0.25f * Fbm(u * 24, v * 24, 24, 2, 902U);
            const float glow = envelope * (0.85f * arm + 0.15f) * sparkle;
            const Rgb hue = Mix(Rgb{0.55f, 0.85f, 1.0f}, Rgb{0.75f, 0.30f, 0.95f}, SmoothStep(0.08f, 0.40f, r));
            canvas.At(x, y) = glow < 0.04f ? Rgb{} : hue * (0.5f * glow);
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
