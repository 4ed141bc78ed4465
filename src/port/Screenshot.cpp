#include "port/Screenshot.h"

#include "files/Files.h"
#include "image/Png.h"
#include "platform/App.h"
#include "platform/VirtualScreen.h"
#include "runtime/Runtime.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

constexpr int LastNumber = 9999;

std::string ScreenshotPath(const std::string& folder, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "citadel-%04d.png", number);
    return folder.empty() ? name : folder + "/" + name;
}

// 0 when every number is taken.
int FirstFreeNumber(const std::string& folder)
{
    for (int number = 1; number <= LastNumber; ++number) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(ScreenshotPath(folder, number), ec);
        if (status.type() == std::filesystem::file_type::not_found) return number;
    }
    return 0;
}

} // namespace

std::string NextScreenshotPath(const std::string& folder)
{
    const int number = FirstFreeNumber(folder);
    return number > 0 ? ScreenshotPath(folder, number) : std::string();
}

std::string SaveScreenshotIn(const std::string& folder, const std::vector<std::uint8_t>& png)
{
    const int first = FirstFreeNumber(folder);
    if (first == 0) return {};
    files::TempFile file(ScreenshotPath(folder, first));
    file.Write(png.data(), png.size());
    // The name is only taken at the rename, which never replaces anything.
    for (int number = first; number <= LastNumber; ++number) {
        const std::string path = ScreenshotPath(folder, number);
        if (file.PlaceIfFree(path)) return path;
    }
    return {};
}

void SaveScreenshot()
{
    std::vector<std::uint8_t> rgb;
    int width = 0, height = 0;
    platform::ReadVirtualScreen(rgb, width, height);
    try {
        const std::string path = SaveScreenshotIn(".", image::EncodePng(width, height, 3, rgb.data()));
        if (path.empty())
            platform::Warn("no screenshot: citadel-0001.png to citadel-9999.png all exist");
        else
            platform::Warn("saved " + path.substr(2));
    } catch (const std::exception& e) {
        platform::Warn(std::string("no screenshot: ") + e.what());
    }
}

void WriteSnapshot(int, const std::string& path, const std::vector<std::uint8_t>& rgb, int width, int height)
{
    try {
        image::WritePng(path, width, height, 3, rgb.data());
    } catch (const files::Error& e) {
        throw Runtime::RuntimeError("Cannot write the snapshot '" + e.path + "': " + e.reason);
    } catch (const std::runtime_error& e) {
        throw Runtime::RuntimeError(std::string("Cannot write the snapshot: ") + e.what());
    }
}
