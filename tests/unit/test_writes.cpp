// Files written the safe way: a write that fails leaves what was there and
// no temporary file; a file is replaced keeping its mode, a link is followed
// and stays, and devices, pipes and open descriptors are written directly.
// (Reading only regular files is tried through the program.)
#include "files/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
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

TEST(WriteFile, AFailureLeavesWhatWasThereAndNoTemporaryFile)
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

    // Outputs that cannot be written at all.
    fs::create_symlink("loop2", folder + "/loop1");
    fs::create_symlink("loop1", folder + "/loop2");
    for (const auto& [path, why] :
         std::vector<std::pair<std::string, std::string>>{{folder, "it is a folder"},
                                                          {folder + "/no/such/folder.png", "No such file or directory"},
                                                          {"/dev/full", "No space left on device"},
                                                          {"/dev/fd/999", "Bad file descriptor"},
                                                          {folder + "/loop1", "Too many levels of symbolic links"}})
        EXPECT_EQ(WriteFails(path, 10), why) << path;

    // Taking a name only if it is free: a link that leads nowhere has it.
    fs::create_symlink(folder + "/victim", folder + "/taken.png");
    files::TempFile file(folder + "/taken.png");
    file.Write("new", 3);
    EXPECT_FALSE(file.PlaceIfFree(folder + "/taken.png"));
    EXPECT_TRUE(file.PlaceIfFree(folder + "/free.png"));
    EXPECT_EQ(Contents(folder + "/free.png"), "new");
    EXPECT_FALSE(fs::exists(folder + "/victim"));
    fs::remove_all(folder);
}

// Each kind of output, written through the one policy: what ends up where,
// what the name is afterwards, and that nothing else is left in the folder.
TEST(WriteFile, FilesAreReplacedKeepingTheirModeLinksAreFollowedAndStreamsWrittenDirectly)
{
    const std::string folder = FreshFolder("outputs");
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::string piped;
    std::thread reader; // reads the FIFO, which opens only with a reader
    struct Case {
        std::string name;
        std::function<std::string()> make;    // makes the output, returns the name written to
        std::function<std::string()> written; // where the bytes are to be found afterwards
        fs::file_type type;                   // what the name is afterwards (as lstat says)
        fs::perms mode;                       // the mode of what was written, where it is a file
    };
    const auto file = [&](const std::string& name) { return [&, name] { return Contents(folder + "/" + name); }; };
    const auto none = fs::perms::unknown;
    const std::vector<Case> cases = {
        {"a new file", [&] { return folder + "/new"; }, file("new"), fs::file_type::regular, none},
        {"a 0600 file",
         [&] {
             std::ofstream(folder + "/private") << "old and longer";
             fs::permissions(folder + "/private", fs::perms::owner_read | fs::perms::owner_write);
             return folder + "/private";
         },
         file("private"), fs::file_type::regular, fs::perms::owner_read | fs::perms::owner_write},
        {"a 0640 file behind a link",
         [&] {
             std::ofstream(folder + "/real") << "old";
             fs::permissions(folder + "/real", fs::perms::owner_all | fs::perms::group_read);
             fs::create_symlink("real", folder + "/link");
             return folder + "/link";
         },
         file("real"), fs::file_type::symlink, fs::perms::owner_all | fs::perms::group_read},
        {"a link to nothing yet",
         [&] {
             fs::create_symlink(folder + "/later", folder + "/dangling");
             return folder + "/dangling";
         },
         file("later"), fs::file_type::symlink, none},
        {"/dev/fd/N of a pipe", [&] { return "/dev/fd/" + std::to_string(pipeEnds[1]); },
         [&] {
             close(pipeEnds[1]);
             char buffer[64] = {};
             return std::string(buffer, static_cast<std::size_t>(read(pipeEnds[0], buffer, sizeof buffer)));
         },
         fs::file_type::symlink, none},
        {"a FIFO",
         [&] {
             mkfifo((folder + "/fifo").c_str(), 0644);
             reader = std::thread([&] { piped = Contents(folder + "/fifo"); });
             return folder + "/fifo";
         },
         [&] {
             reader.join();
             return piped;
         },
         fs::file_type::fifo, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.make();
        EXPECT_EQ(WriteFails(path, 5), "");
        EXPECT_EQ(fs::symlink_status(path).type(), c.type);
        if (c.mode != none) EXPECT_EQ(fs::status(path).permissions(), c.mode);
        EXPECT_EQ(c.written(), "xxxxx");
    }
    EXPECT_EQ(WriteFails("/dev/null", 5), "");
    EXPECT_EQ(Listing(folder),
              (std::vector<std::string>{"dangling", "fifo", "later", "link", "new", "private", "real"}))
        << "a temporary file was left";
    close(pipeEnds[0]);
    fs::remove_all(folder);
}

// "-" is standard output, where it stands: what stdio held back comes first.
TEST(WriteFile, DashIsStandardOutput)
{
    const std::string folder = FreshFolder("dash");
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int out = open((folder + "/out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    std::printf("first,");
    const std::string dash = WriteFails("-", 5), named = WriteFails("/dev/stdout", 2);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    close(out);
    EXPECT_EQ(dash + named, "");
    EXPECT_EQ(Contents(folder + "/out"), "first,xxxxxxx");
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"out"});
    fs::remove_all(folder);
}

// A descriptor 0, 1 or 2 closed at start used to be taken by the first file
// opened (the state log got the program's messages). Now /dev/null holds it,
// read-only, so that writes to it still fail as on a closed descriptor.
TEST(StandardDescriptors, ClosedOnesAreTakenFirstAndStillRefuseWrites)
{
    const std::string folder = FreshFolder("descriptors");
    for (const std::vector<int>& closed : std::vector<std::vector<int>>{{0}, {1}, {2}, {0, 1, 2}}) {
        const pid_t child = fork();
        if (child == 0) {
            for (int fd : closed) close(fd);
            files::TakeClosedStandardDescriptors();
            const int file = open((folder + "/log").c_str(), O_WRONLY | O_CREAT, 0644);
            bool ok = file > STDERR_FILENO;
            char byte;
            for (int fd : closed)
                ok = ok && (fd == STDIN_FILENO ? read(fd, &byte, 1) == 0 : write(fd, "x", 1) == -1 && errno == EBADF);
            _exit(ok ? 0 : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "closed " << closed.size() << ": " << closed[0];
    }
    fs::remove_all(folder);
}
