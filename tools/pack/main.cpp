// citadel-pack-images OUT_DIR: writes the show's sixteen ".MOT" images.
#include "Pack.h"
#include "app/ShowFiles.h"

#include <algorithm>
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
        for (const ShowImage& image : ShowImages) {
            const auto& files = pack::PackFiles();
            const auto file =
                std::find_if(files.begin(), files.end(), [&](const pack::PackFile& f) { return f.name == image.name; });
            if (file == files.end()) throw std::runtime_error(std::string("nothing makes ") + image.name);
            mot::SaveMot((dir / image.name).string(), file->make());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "citadel-pack-images: %s\n", error.what());
        return 1;
    }
    return 0;
}
