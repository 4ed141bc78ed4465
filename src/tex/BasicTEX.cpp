#include "tex/BasicTEX.h"

#include "glapi/GL.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace BasicTEX {

float TexWidth = 0;
float TexHeight = 0;
std::vector<std::uint8_t> TexData;
std::vector<std::uint8_t> TexAlphaData;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

float FloatFromLittleEndian(const std::uint8_t* b)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void PutFloatLittleEndian(std::uint8_t* b, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

bool IsValidSize(float size)
{
    return std::isfinite(size) && size >= 1 && size <= static_cast<float>(MaxImageSize) && size == std::nearbyint(size);
}

std::string SizeText(float size)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(size));
    return text;
}

// The width or height as an integer: the highest index (size - 1), rounded
// half to even, plus one.
int PixelCount(float size)
{
    return Runtime::CLng(static_cast<double>(size) - 1) + 1;
}

// The upload both loaders share: bind, unpadded rows, level 0 or mip-maps,
// the same filter both ways, and the texture environment.
void Upload(GLuint TexName, GLint components, GLenum format, GLsizei w, GLsizei h, const std::uint8_t* pixels,
            GLint Filter, GLint EnvMode, Runtime::Boolean MipMap)
{
    glBindTexture(GL_TEXTURE_2D, TexName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (MipMap == Runtime::True)
        gluBuild2DMipmaps(GL_TEXTURE_2D, components, w, h, format, GL_UNSIGNED_BYTE, pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, Filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, Filter);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, EnvMode);
}

} // namespace

void ReadMOT(const std::string& FileName)
{
    std::error_code ec;
    const auto status = std::filesystem::status(FileName, ec);
    if (std::filesystem::is_directory(status))
        throw Runtime::RuntimeError("Path/File access error: '" + FileName + "' is a folder");
    // A pipe or a device would block the open or never end the read.
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw Runtime::RuntimeError("Path/File access error: '" + FileName + "' is not a file");
    File file(std::fopen(FileName.c_str(), "rb"));
    if (!file) throw Runtime::RuntimeError("File not found: '" + FileName + "'");

    std::uint8_t header[8] = {};
    const std::size_t got = std::fread(header, 1, sizeof header, file.get());
    TexWidth = FloatFromLittleEndian(header);
    TexHeight = FloatFromLittleEndian(header + 4);
    if (got < sizeof header) {
        TexData.clear();
        throw Runtime::RuntimeError("'" + FileName + "' is too short for an image: " + std::to_string(got) +
                                    " bytes, where its two sizes alone take 8");
    }
    if (!IsValidSize(TexWidth) || !IsValidSize(TexHeight)) {
        TexData.clear();
        throw Runtime::RuntimeError("Bad image size " + SizeText(TexWidth) + " x " + SizeText(TexHeight) + " in '" +
                                    FileName + "' (sizes must be whole numbers from 1 to " +
                                    std::to_string(MaxImageSize) + ")");
    }
    const std::size_t bytes = static_cast<std::size_t>(3) * PixelCount(TexWidth) * PixelCount(TexHeight);
    TexData.assign(bytes, 0);
    // One read; a short file leaves the rest of the zero-filled buffer as it
    // is, as it always did. Say so: a cut file is worth knowing about.
    const std::size_t read = std::fread(TexData.data(), 1, bytes, file.get());
    if (read < bytes)
        std::fprintf(stderr, "citadel: '%s' holds %zu of its %zu pixel bytes; the rest are black\n", FileName.c_str(),
                     read, bytes);
}

void LoadTexture(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap)
{
    ReadMOT(FileName);
    const GLsizei w = Runtime::CLng(TexWidth);
    const GLsizei h = Runtime::CLng(TexHeight);
    Upload(TexName, 3, GL_RGB, w, h, TexData.data(), Filter, EnvMode, MipMap);
}

void LoadTextureAlpha(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap)
{
    ReadMOT(FileName);
    const GLsizei w = Runtime::CLng(TexWidth);
    const GLsizei h = Runtime::CLng(TexHeight);
    const std::size_t pixels = TexData.size() / 3;
    TexAlphaData.assign(pixels * 4, 0);
    // Only exact black becomes transparent; there is no threshold.
    for (std::size_t k = 0; k < pixels; ++k) {
        const std::uint8_t r = TexData[3 * k], g = TexData[3 * k + 1], b = TexData[3 * k + 2];
        TexAlphaData[4 * k] = r;
        TexAlphaData[4 * k + 1] = g;
        TexAlphaData[4 * k + 2] = b;
        TexAlphaData[4 * k + 3] = (r == 0 && g == 0 && b == 0) ? 0 : 255;
    }
    Upload(TexName, 4, GL_RGBA, w, h, TexAlphaData.data(), Filter, EnvMode, MipMap);
}

void WriteMOT(const std::string& FileName, int Width, int Height, const std::uint8_t* Rgb)
{
    File file(std::fopen(FileName.c_str(), "wb"));
    if (!file) throw Runtime::RuntimeError("Cannot write '" + FileName + "'");
    std::uint8_t header[8];
    PutFloatLittleEndian(header, static_cast<float>(Width));
    PutFloatLittleEndian(header + 4, static_cast<float>(Height));
    const std::size_t bytes = static_cast<std::size_t>(3) * Width * Height;
    if (std::fwrite(header, 1, sizeof header, file.get()) != sizeof header ||
        std::fwrite(Rgb, 1, bytes, file.get()) != bytes || std::fflush(file.get()) != 0)
        throw Runtime::RuntimeError("Cannot write '" + FileName + "'");
}

} // namespace BasicTEX
