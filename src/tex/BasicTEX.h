// ".MOT" images (see MotFile.h): the reader and the two texture loaders.
#pragma once

#include "runtime/Runtime.h"

#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace BasicTEX {

// The image read last: its sizes as stored and its pixel bytes.
extern float TexWidth;
extern float TexHeight;
extern std::vector<std::uint8_t> TexData;
// The RGBA image built by the last LoadTextureAlpha.
extern std::vector<std::uint8_t> TexAlphaData;

// Reads a ".MOT" file into TexWidth, TexHeight and TexData. A file the
// format's reader refuses (missing, unreadable, a folder, sizes that are not
// whole numbers in 1..mot::MaxSize, more than mot::MaxMissingBytes short)
// raises a run-time error naming the file; a short file leaves the missing
// bytes 0, with a warning.
void ReadMOT(const std::string& FileName);

// Uploads the file's RGB image into the texture name.
void LoadTexture(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap);

// Uploads an RGBA image whose alpha is 0 exactly where the pixel is black.
void LoadTextureAlpha(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap);

} // namespace BasicTEX
