// The show's sixteen images, each made by one function.
#pragma once

#include "tex/MotFile.h"

#include <string>
#include <vector>

namespace pack {

constexpr int Size = 256;

// Terrain, walls, sky and towers.
mot::MotImage MakeGround();      // Tex0
mot::MotImage MakeWall();        // Tex1
mot::MotImage MakeBattlements(); // Tex2, alpha
mot::MotImage MakeClouds();      // Tex3
mot::MotImage MakeNightSky();    // Tex4
mot::MotImage MakeTowerStone();  // Tex5

// The cathedral.
mot::MotImage MakeCathedralWall(); // CBTex0
mot::MotImage MakeRoof();          // CBTex1
mot::MotImage MakeRoseWindow();    // CBTex2
mot::MotImage MakeWingFront();     // CBTex3

// Titles and glows, all alpha images on pure black.
mot::MotImage MakeTitleText(const std::vector<std::string>& lines); // Text0..Text2
mot::MotImage MakeTitle();                                          // Tittle
mot::MotImage MakeSwirl();                                          // Dist0
mot::MotImage MakeLightMap();                                       // LightMap

struct PackFile {
    std::string name;
    mot::MotImage (*make)();
};

// The function that makes each of the show's sixteen images, by file name.
const std::vector<PackFile>& PackFiles();

} // namespace pack
