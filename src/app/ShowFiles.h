// The files the show reads from its folder, and its length in frames: the one
// place these facts are written. The build reads the file names from here as
// well (cmake/ShowFiles.cmake), so keep one entry a line, as below.
#pragma once

struct ShowImage {
    const char* name;
    int slot;   // the entry of TextureIds that receives it
    bool alpha; // loaded with LoadTextureAlpha: exactly black is transparent
};

// The sixteen images, in the order start-up reads them.
// clang-format off
inline constexpr ShowImage ShowImages[] = {
    {"Tex0.MOT", 0, false},
    {"Tex1.MOT", 1, false},
    {"Tex2.MOT", 2, true},
    {"Tex3.MOT", 3, false},
    {"Tex4.MOT", 4, false},
    {"Tex5.MOT", 5, false},
    {"Text0.MOT", 10, true},
    {"Text1.MOT", 11, true},
    {"Text2.MOT", 12, true},
    {"Tittle.MOT", 13, true},
    {"Dist0.MOT", 14, true},
    {"LightMap.MOT", 15, true},
    {"CBTex0.MOT", 6, false},
    {"CBTex1.MOT", 7, false},
    {"CBTex2.MOT", 8, false},
    {"CBTex3.MOT", 9, false},
};
// clang-format on

// The music module.
inline constexpr const char* ShowModule = "morvek.xm";

// 351 title frames, seven rounds of a 180-frame orbit and a 200-frame
// interlude, then 175 frames of the final approach.
inline constexpr int ShowLength = 351 + 7 * (180 + 200) + 175;
