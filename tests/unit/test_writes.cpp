// Files written the safe way: a write that fails leaves what was there and
// no temporary file, and a link at a name is replaced or refused, never
// followed. (Reading only regular files is tried through the program.)
#include "files/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string FreshFolder(const std::string& name)
{
    const fs::path folder = fs::temp_directory_path() / ("citadel-writes-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder.string();
}

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The reason a write of `bytes` to path fails with, or "" when it does not.
std::string WriteFails(const std::string& path, std::size_t bytes)
{
    try {
        files::WriteFile(path, std::string(bytes, 'x').data(), bytes);
    } catch (const files::Error& e) {
        EXPECT_EQ(e.path, path);
        return e.reason;
    }
    return "";
}

} // namespace

TEST(WriteFile, AFailureLeavesWhatWasThereAndALinkIsReplacedNotFollowed)
{
    const std::string folder = FreshFolder("write");
    const std::string target = folder + "/a.png";
    std::ofstream(target) << "precious";

    // A file size limit fails writes as a full disk does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const std::string reason = WriteFails(target, 10000);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(reason, "File too large");
    EXPECT_EQ(Contents(target), "precious");
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"a.png"}) << "a temporary file was left";

    EXPECT_EQ(WriteFails(folder, 10), "it is a folder");
    EXPECT_EQ(WriteFails("/dev/null", 10), "it is not a regular file");
    EXPECT_EQ(WriteFails(folder + "/no/such/folder.png", 10), "No such file or directory");

    // Whoever planted the link gets nothing written where it leads.
    fs::create_symlink(folder + "/victim", folder + "/link.png");
    EXPECT_EQ(WriteFails(folder + "/link.png", 10), "");
    EXPECT_FALSE(fs::is_symlink(folder + "/link.png"));
    EXPECT_FALSE(fs::exists(folder + "/victim"));

    // Taking a name only if it is free: a link that leads nowhere has it.
    fs::create_symlink(folder + "/victim", folder + "/taken.png");
    files::TempFile file(folder + "/taken.png");
    file.Write("new", 3);
    EXPECT_FALSE(file.PlaceIfFree(folder + "/taken.png"));
    EXPECT_TRUE(file.PlaceIfFree(folder + "/free.png"));
    EXPECT_EQ(Contents(folder + "/free.png"), "new");
    EXPECT_FALSE(fs::exists(folder + "/victim"));
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"a.png", "free.png", "link.png", "taken.png"}));
    fs::remove_all(folder);
}
