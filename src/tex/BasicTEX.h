// ".MOT" images: the reader and the two texture loaders.
//
// A ".MOT" file is two little-endian float32 sizes W and H followed by
// W x H RGB pixels, 3 bytes each, first row first.
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

// The largest width or height the reader accepts.
constexpr int MaxImageSize = 8192;

// Reads a ".MOT" file into TexWidth, TexHeight and TexData. A missing file,
// or sizes that are not whole numbers in 1..MaxImageSize, raise a run-time
// error naming the file; a short file leaves the missing bytes 0.
void ReadMOT(const std::string& FileName);

// Uploads the file's RGB image into the texture name.
void LoadTexture(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap);

// Uploads an RGBA image whose alpha is 0 exactly where the pixel is black.
void LoadTextureAlpha(GLuint& TexName, std::string& FileName, GLint& Filter, GLint& EnvMode, Runtime::Boolean& MipMap);

// Writes a ".MOT" file (used by the tools and the tests).
void WriteMOT(const std::string& FileName, int Width, int Height, const std::uint8_t* Rgb);

} // namespace BasicTEX
