// The application services that need no window system, the same on every
// platform: the data folder, resource paths, warnings, the random generator
// and module files. A seeded show draws the same colours on every platform
// because this is its only generator.
#include "platform/App.h"
#include "platform/AppInternal.h"
#include "platform/SoundLib.h"

#include "files/Files.h"
#include "runtime/Text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

namespace platform {

namespace {

std::string dataFolder;
std::uint32_t randomState = 0x50000;
std::optional<std::uint32_t> pinnedSeed;
bool warningsShown = true;

std::string WithoutTrailingSeparator(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

} // namespace

std::string AppPath()
{
    if (!dataFolder.empty()) return dataFolder;
    return WithoutTrailingSeparator(ProgramFolder());
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
    // that minds case, take the file whose name matches ignoring case. Of
    // several such spellings the first in name order, whatever order the
    // folder lists them in, and said once.
    std::error_code ec;
    if (std::filesystem::exists(exact, ec)) return exact;
    const std::filesystem::path wanted(exact);
    const std::string leaf = wanted.filename().string();
    std::vector<std::string> matches;
    for (const auto& entry : std::filesystem::directory_iterator(wanted.parent_path(), ec)) {
        if (Runtime::SameIgnoringCase(entry.path().filename().string(), leaf)) matches.push_back(entry.path().string());
    }
    if (matches.empty()) return exact;
    std::sort(matches.begin(), matches.end());
    static std::set<std::string> told;
    if (matches.size() > 1 && told.insert(exact).second) {
        std::string others;
        for (std::size_t i = 1; i < matches.size(); ++i) others += (i > 1 ? "', '" : "'") + matches[i];
        Warn("'" + leaf + "' is there in more than one spelling: using '" + matches.front() + "', not " + others + "'");
    }
    return matches.front();
}

void Warn(const std::string& message)
{
    if (!warningsShown) return;
    std::fprintf(stderr, "citadel: %s\n", message.c_str());
    std::fflush(stderr);
}

void SetWarningsShown(bool shown)
{
    warningsShown = shown;
}

// A 24-bit linear congruential generator: small, fast and the same on every
// machine, so a seeded show draws the same colours everywhere. Unpinned, the
// seed is the time of day in milliseconds.
void Randomize()
{
    std::uint64_t seed = 0;
    if (pinnedSeed) {
        seed = *pinnedSeed;
    } else {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        seed =
            static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 86400000);
    }
    randomState = static_cast<std::uint32_t>((seed ^ (seed >> 24) ^ 0x5A5A5Au) & 0xFFFFFFu);
}

void PinRandomSeed(std::uint32_t seed)
{
    pinnedSeed = seed;
}

float Rnd()
{
    randomState = (randomState * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
    return static_cast<float>(randomState) / 16777216.0f;
}

std::uint32_t RandomState()
{
    return randomState;
}

void SetRandomState(std::uint32_t state)
{
    randomState = state & 0xFFFFFFu;
}

bool ReadModuleFile(const std::string& path, std::vector<std::uint8_t>& data, std::string& why)
{
    files::Input file(path);
    why = file.Why();
    if (file.problem() != files::Input::Problem::None) return false;
    // Tracker modules are kilobytes to a few megabytes: anything past the
    // cap is not one, and would only cost memory and start-up time.
    constexpr std::size_t MaxModuleBytes = 64u << 20;
    if (file.Size() > MaxModuleBytes) {
        why = "it is larger than 64 MiB, which no tracker module is";
        return false;
    }
    try {
        // One byte more than it held tells a file that grew since it was opened.
        data.resize(static_cast<std::size_t>(file.Size()) + 1);
        data.resize(file.Read(data.data(), data.size()));
    } catch (const files::Error& e) {
        why = e.what();
        return false;
    }
    if (data.size() > file.Size()) {
        why = "it grew while it was read";
        return false;
    }
    if (data.empty()) why = "it is empty";
    return !data.empty();
}

} // namespace platform
