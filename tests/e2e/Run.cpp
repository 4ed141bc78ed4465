#include "Run.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/TempFolders.h"

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

std::string TempFolder(const std::string& name)
{
    return testfolders::Fresh("e2e", name);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

Started Start(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env)
{
    // A folder of its own, so that runs may go on side by side.
    static std::atomic<int> runs{0};
    Started started;
    started.folder = TempFolder("run-" + std::to_string(runs++));
    const std::string outPath = started.folder + "/stdout", errPath = started.folder + "/stderr";

    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        if (env.count(key) == 0) environment.push_back(entry);
    }
    for (const auto& [key, value] : env)
        if (!value.empty()) environment.push_back(key + "=" + value);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) started.pid = pid;
    posix_spawn_file_actions_destroy(&actions);
    return started;
}

RunResult Wait(const Started& run, double seconds)
{
    RunResult result;
    if (run.pid > 0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        rusage usage{};
        pid_t done = 0;
        while ((done = wait4(run.pid, &status, WNOHANG, &usage)) == 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (done == 0) {
            kill(run.pid, SIGKILL);
            waitpid(run.pid, &status, 0);
        } else {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            result.peakKiB = usage.ru_maxrss;
        }
    }
    result.out = ReadFile(run.folder + "/stdout");
    result.err = ReadFile(run.folder + "/stderr");
    fs::remove_all(run.folder);
    return result;
}

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env)
{
    return Wait(Start(program, args, env), 600);
}

std::string CitadelExe()
{
    const char* exe = std::getenv("CITADEL_EXE");
    return exe != nullptr && *exe != '\0' ? exe : CITADEL_EXE;
}

RunResult RunCitadel(const std::vector<std::string>& args, const std::map<std::string, std::string>& env)
{
    return Run(CitadelExe(), args, env);
}

std::string CopyPack(const std::string& name)
{
    const std::string folder = TempFolder(name);
    for (const auto& entry : fs::directory_iterator(CITADEL_PACK_DIR)) {
        const auto ext = entry.path().extension().string();
        if (ext == ".MOT" || ext == ".xm") fs::copy_file(entry.path(), fs::path(folder) / entry.path().filename());
    }
    return folder;
}

} // namespace e2e
