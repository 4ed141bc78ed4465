#include "tex/BasicTEX.h"

#include "platform/App.h"
#include "tex/MotFile.h"

#include "glapi/GL.h"

namespace BasicTEX {

float TexWidth = 0;
float TexHeight = 0;
std::vector<std::uint8_t> TexData;
std::vector<std::uint8_t> TexAlphaData;

namespace {

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
    try {
        mot::MotRead read = mot::ReadMotFile(FileName);
        TexWidth = read.storedWidth;
        TexHeight = read.storedHeight;
        TexData = std::move(read.image.rgb);
        // A cut file is read as it always was, but is worth knowing about.
        if (read.missingBytes > 0)
            platform::Warn("'" + FileName + "' holds " + std::to_string(TexData.size() - read.missingBytes) +
                           " of its " + std::to_string(TexData.size()) + " pixel bytes; the rest are black");
    } catch (const mot::Refused& refused) {
        if (refused.sizesRead) {
            TexWidth = refused.storedWidth;
            TexHeight = refused.storedHeight;
            TexData.clear();
        }
        throw Runtime::RuntimeError(refused.what());
    }
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

} // namespace BasicTEX
