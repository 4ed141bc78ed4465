#include "port/Screenshot.h"

#include "image/Png.h"
#include "platform/App.h"
#include "platform/VirtualScreen.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

std::string NextScreenshotPath(const std::string& folder)
{
    for (int number = 1; number <= 9999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "citadel-%04d.png", number);
        const std::string path = folder.empty() ? name : folder + "/" + name;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec) && !ec) return path;
    }
    return {};
}

void SaveScreenshot()
{
    const std::string path = NextScreenshotPath(".");
    if (path.empty()) {
        platform::Warn("no screenshot: citadel-0001.png to citadel-9999.png all exist");
        return;
    }
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    platform::ReadVirtualScreen(rgb, width, height);
    try {
        image::WritePng(path, width, height, 3, rgb.data());
        platform::Warn("saved " + path.substr(2));
    } catch (const std::exception& e) {
        platform::Warn(std::string("no screenshot: ") + e.what());
    }
}
