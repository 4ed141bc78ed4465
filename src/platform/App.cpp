// Application services over SDL2 and the C++ library.
#include "platform/App.h"

#include "platform/Video.h"
#include "platform/VideoInternal.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

std::string dataFolder;
std::uint32_t randomState = 0x50000;

std::string WithoutTrailingSeparator(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

std::string AppPath()
{
    if (!dataFolder.empty()) return dataFolder;
    char* base = SDL_GetBasePath();
    std::string folder = base != nullptr ? base : ".";
    SDL_free(base);
    return WithoutTrailingSeparator(folder);
}

void SetDataFolder(const std::string& folder)
{
    dataFolder = folder.empty() ? std::string() : WithoutTrailingSeparator(folder);
}

std::string ResourcePath(const std::string& folder, const std::string& literal)
{
    std::string name = literal;
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::string exact = folder + name;

    // Files copied from old media are often all upper case: on a file system
    // that minds case, take the one file whose name matches ignoring case.
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;
    const std::filesystem::path wanted(exact);
    const std::string leaf = wanted.filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(wanted.parent_path(), ec)) {
        if (SameIgnoringCase(entry.path().filename().string(), leaf)) return entry.path().string();
    }
    return exact;
}

std::string AppTitle()
{
    return CurrentVideo().settings.appName;
}

void MsgBox(const std::string& prompt, int style, const std::string& title)
{
    std::fprintf(stderr, "%s: %s\n", title.c_str(), prompt.c_str());
    std::fflush(stderr);
    if (!HasWindow()) return;
    const Uint32 flags = (style & vbCritical) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, title.c_str(), prompt.c_str(), CurrentVideo().window);
}

// A 24-bit linear congruential generator: small, fast and the same on every
// machine, so a seeded show draws the same colours everywhere.
void Randomize(double seed)
{
    const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(seed));
    randomState = static_cast<std::uint32_t>((bits ^ (bits >> 24) ^ 0x5A5A5Au) & 0xFFFFFFu);
}

void RandomizeFromClock()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    Randomize(static_cast<double>(ms % 86400000));
}

float Rnd()
{
    randomState = (randomState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(randomState) / 16777216.0f;
}

} // namespace platform
