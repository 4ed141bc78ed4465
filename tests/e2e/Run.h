// Running the citadel binary (or a tool) as a user would, and reading what
// it left behind.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
    int status = -1; // exit status, or 128 + signal
    std::string out; // stdout
    std::string err; // stderr
};

// Runs program with args; env entries are set (an empty value unsets).
// Safe to call from several threads at once.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {});

// Runs the show: citadel with args.
RunResult RunCitadel(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});

// A fresh empty folder under the temp folder.
std::string TempFolder(const std::string& name);

// Copies the built asset pack into a new temp folder (for --data runs that
// damage a file); returns the folder.
std::string CopyPack(const std::string& name);

std::string ReadFile(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);

} // namespace e2e
