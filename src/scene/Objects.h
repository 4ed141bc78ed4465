// The fixed geometry of the scene, compiled once into display lists.
#pragma once

#include <cstdint>

namespace Objects {

extern std::int32_t ListWall;
extern std::int32_t ListWallTop;
extern std::int32_t ListSky;
extern std::int32_t ListSkyTile1;
extern std::int32_t ListSkyTile2;
extern std::int32_t ListSkyTile3;
extern std::int32_t ListSkyTile4;
extern std::int32_t ListCathedral;
extern std::int32_t ListCathedralWing;
extern std::int32_t ListCross;
extern std::int32_t ListTower;
extern std::int32_t ListTitleCube;
extern std::int32_t ListPanel;

// Takes the thirteen list ids and compiles every list. Needs a current
// context and the texture names of BasicGL::TextureIds.
void BuildObjects();

} // namespace Objects
