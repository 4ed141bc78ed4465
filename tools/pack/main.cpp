// citadel-pack-images OUT_DIR: writes the show's sixteen ".MOT" images.
#include "Pack.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    try {
        std::filesystem::create_directories(dir);
        for (const pack::PackFile& file : pack::PackFiles()) mot::SaveMot((dir / file.name).string(), file.make());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "citadel-pack-images: %s\n", error.what());
        return 1;
    }
    return 0;
}
