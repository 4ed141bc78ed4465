// Texture objects: GL names mapped onto ES textures made on first bind,
// uploads unpacked to RGBA on the way in, and gluBuild2DMipmaps's levels.
#include "gles/Context.h"

#include "gles/Error.h"

#include <GLES3/gl3.h>

#include <algorithm>
#include <string>
#include <utility>

namespace gles {

namespace {

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

void CheckSource(const char* call, unsigned target, unsigned format, unsigned type)
{
    if (target != glenum::Texture2D) FailUnsupported(call, target);
    if (format != glenum::Rgb && format != glenum::Rgba) FailUnsupported(call, format);
    if (type != glenum::UnsignedByte) FailUnsupported(call, type);
}

} // namespace

TextureObject& Context::GetBoundTexture()
{
    TextureObject& texture = textures[boundTexture];
    if (texture.es == 0) glGenTextures(1, &texture.es);
    return texture;
}

void Context::GenTextures(int n, unsigned* names)
{
    RequireOutsidePrimitive("glGenTextures");
    if (n < 0) Fail("glGenTextures(" + std::to_string(n) + "): a negative count");
    for (int i = 0; i < n; ++i) names[i] = nextTexture++;
}

void Context::BindTexture(unsigned target, unsigned name)
{
    if (target != glenum::Texture2D) FailUnsupported("glBindTexture", target);
    if (name == boundTexture) return;
    FlushBeforeChange(DirtyFragment);
    boundTexture = name;
    nextTexture = std::max(nextTexture, name + 1);
    glBindTexture(GL_TEXTURE_2D, GetBoundTexture().es);
}

void Context::SetTexParameter(unsigned target, unsigned pname, int value)
{
    if (target != glenum::Texture2D) FailUnsupported("glTexParameteri", target);
    TextureObject& texture = GetBoundTexture();
    TextureObject changed = texture;
    SetTextureParameter(changed, pname, value);
    if (changed.minFilter == texture.minFilter && changed.magFilter == texture.magFilter &&
        changed.wrapS == texture.wrapS && changed.wrapT == texture.wrapT)
        return;
    FlushBeforeChange(DirtyFragment);
    texture = changed;
    glTexParameteri(GL_TEXTURE_2D, pname, value);
}

void Context::SetTexEnv(unsigned target, unsigned pname, int value)
{
    if (target != glenum::TextureEnv) FailUnsupported("glTexEnvi", target);
    if (pname != glenum::TextureEnvMode) FailUnsupported("glTexEnvi", pname);
    const auto mode = static_cast<unsigned>(value);
    if (mode != glenum::Modulate && mode != glenum::Replace && mode != glenum::Decal && mode != glenum::Blend)
        FailUnsupported("glTexEnvi(GL_TEXTURE_ENV_MODE)", mode);
    if (mode == textureEnv) return;
    FlushBeforeChange(DirtyFragment);
    textureEnv = mode;
}

void Context::PixelStore(unsigned pname, int value)
{
    RequireOutsidePrimitive("glPixelStorei");
    if (pname != glenum::UnpackAlignment && pname != glenum::PackAlignment) FailUnsupported("glPixelStorei", pname);
    if (value != 1 && value != 2 && value != 4 && value != 8)
        Fail("glPixelStorei(" + FormatEnum(pname) + ", " + std::to_string(value) + "): alignments are 1, 2, 4 or 8");
    (pname == glenum::UnpackAlignment ? unpackAlignment : packAlignment) = value;
}

void Context::TexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border,
                         unsigned format, unsigned type, const void* data)
{
    RequireOutsidePrimitive("glTexImage2D");
    if (recorder.Recording()) Fail("glTexImage2D inside a display list is not supported");
    CheckSource("glTexImage2D", target, format, type);
    const unsigned base = GetBaseFormat("glTexImage2D", internalFormat);
    if (border != 0) Fail("glTexImage2D with a border is not supported");
    if (level < 0 || level >= MaxTextureLevels || width < 0 || height < 0)
        Fail("glTexImage2D of level " + std::to_string(level) + ", " + std::to_string(width) + " x " +
             std::to_string(height) + ", is invalid");
    UnpackRgba(data, width, height, format, unpackAlignment, base == glenum::Rgba, pixels);
    UploadLevel(level, width, height, base);
}

void Context::UploadLevel(int level, int width, int height, unsigned base)
{
    FlushBeforeChange(DirtyFragment);
    TextureObject& texture = GetBoundTexture();
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    texture.levels[static_cast<std::size_t>(level)] = {width, height, static_cast<int>(base)};
}

int Context::Build2DMipmaps(unsigned target, int components, int width, int height, unsigned format, unsigned type,
                            const void* data)
{
    RequireOutsidePrimitive("gluBuild2DMipmaps");
    if (recorder.Recording()) Fail("gluBuild2DMipmaps inside a display list is not supported");
    CheckSource("gluBuild2DMipmaps", target, format, type);
    const unsigned base = GetBaseFormat("gluBuild2DMipmaps", components);
    // GLU would first rescale to powers of two; the renderer leaves that out.
    if (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))
        Fail("gluBuild2DMipmaps of a " + std::to_string(width) + " x " + std::to_string(height) +
             " image: only sizes that are powers of two are supported");
    UnpackRgba(data, width, height, format, unpackAlignment, base == glenum::Rgba, pixels);
    for (int level = 0;; ++level) {
        UploadLevel(level, width, height, base);
        if (width == 1 && height == 1) break;
        HalveRgba(pixels, width, height, halfSize);
        std::swap(pixels, halfSize);
        width = std::max(1, width / 2), height = std::max(1, height / 2);
    }
    return 0;
}

} // namespace gles
