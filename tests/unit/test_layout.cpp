// The rooms of the source tree and which may use which: SDL2 and libopenmpt
// only in the platform, and no room including one above it, so the show's
// drawing never reaches into the port or the tools.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path Source = CITADEL_SOURCE_DIR;

// Lower rooms first; a file may include its own room and rooms of a lower
// level. testing/ only declares what tests may reach, so any room may
// include it.
const std::map<std::string, int> Levels = {
    {"runtime", 0}, {"files", 0}, {"glapi", 0},  {"testing", 0}, {"image", 1}, {"gles", 1}, {"platform", 2}, {"tex", 3},
    {"gl", 3},      {"music", 3}, {"window", 3}, {"terrain", 4}, {"scene", 4}, {"app", 5},  {"port", 6},
};

struct Include {
    fs::path file;
    std::string target;
};

std::vector<Include> IncludesUnder(const fs::path& folder)
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".h") continue;
        std::ifstream in(entry.path());
        std::smatch m;
        for (std::string line; std::getline(in, line);)
            if (std::regex_search(line, m, include)) found.push_back({entry.path(), m[2].str()});
    }
    return found;
}

std::string RoomOf(const fs::path& file)
{
    return fs::relative(file, Source / "src").begin()->string();
}

bool IsSystemLibraryOfPlatform(const std::string& target)
{
    return target.rfind("SDL", 0) == 0 || target.rfind("libopenmpt", 0) == 0;
}

} // namespace

TEST(Layout, OnlyThePlatformTouchesSdlOrLibopenmpt)
{
    for (const char* folder : {"src", "tools"})
        for (const Include& i : IncludesUnder(Source / folder)) {
            if (!IsSystemLibraryOfPlatform(i.target)) continue;
            EXPECT_EQ(folder + std::string("/") + RoomOf(i.file), "src/platform") << i.file << " includes " << i.target;
        }
}

TEST(Layout, NoRoomIncludesOneAboveItAndToolsStayOutOfThePortAndPlatform)
{
    int checked = 0;
    for (const Include& i : IncludesUnder(Source / "src")) {
        const auto slash = i.target.find('/');
        if (slash == std::string::npos || !Levels.contains(i.target.substr(0, slash))) continue;
        const std::string from = RoomOf(i.file), to = i.target.substr(0, slash);
        ASSERT_TRUE(Levels.contains(from)) << "a room without a level: " << from;
        EXPECT_TRUE(from == to || Levels.at(to) < Levels.at(from)) << i.file << " reaches up into " << i.target;
        ++checked;
    }
    EXPECT_GT(checked, 100);
    for (const Include& i : IncludesUnder(Source / "tools"))
        for (const char* room : {"port/", "platform/", "window/"})
            EXPECT_NE(i.target.rfind(room, 0), 0u) << i.file << " includes " << i.target;
}

TEST(Layout, TheVirtualScreenNeedsNeitherSdlNorADesktopGlHeader)
{
    // The browser build compiles it as it is: neither it nor any header of
    // ours that it includes may reach SDL or desktop GL.
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<fs::path> pending = {Source / "src/platform/VirtualScreen.cpp"};
    std::set<fs::path> seen;
    while (!pending.empty()) {
        const fs::path file = pending.back();
        pending.pop_back();
        if (!seen.insert(file).second) continue;
        std::ifstream in(file);
        ASSERT_TRUE(in) << file;
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            if (!std::regex_search(line, m, include)) continue;
            const std::string target = m[2].str();
            EXPECT_TRUE(target.rfind("SDL", 0) != 0 && target.rfind("GL/", 0) != 0) << file << " includes " << target;
            if (m[1].str() == "\"") pending.push_back(Source / "src" / target);
        }
    }
    EXPECT_GE(seen.size(), 4u);
}
