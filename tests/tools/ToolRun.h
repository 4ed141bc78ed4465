// Runs a built tool as a user would and captures what it prints.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tooltest {

struct ToolResult {
    int exitCode = -1;
    std::string output; // stdout and stderr together
};

inline ToolResult RunTool(const std::string& arguments)
{
    const std::filesystem::path log =
        std::filesystem::temp_directory_path() / ("citadel-tool-" + std::to_string(::getpid()) + ".log");
    const std::string command = arguments + " > '" + log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    ToolResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(log);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::filesystem::remove(log);
    return result;
}

// A fresh folder under the system's temporary folder, removed with the object.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& name)
    {
        path = std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
        std::filesystem::create_directories(path);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& file) const { return (path / file).string(); }
};

} // namespace tooltest
