// Running the citadel binary (or a tool) as a user would, and reading what
// it left behind.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace e2e {

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;  // stdout
    std::string err;  // stderr
    long peakKiB = 0; // the most memory it held (resident), in KiB
};

// Runs program with args; env entries are set (an empty value unsets).
// Safe to call from several threads at once.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {});

// A run going on in the background, to be sent signals.
struct Started {
    int pid = -1;
    std::string folder; // where its stdout and stderr go
};
Started Start(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {});
// Waits for it at most `seconds`, then kills it (status -1).
RunResult Wait(const Started& run, double seconds);

// The program under test: $CITADEL_EXE where set (the sanitizer job runs
// these tests against its own build of it), else this build's.
std::string CitadelExe();

// Runs the show: citadel with args.
RunResult RunCitadel(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});

// A fresh empty folder under the temp folder, removed at the end when every
// test of the program passed.
std::string TempFolder(const std::string& name);

// Copies the built asset pack into a new temp folder (for --data runs that
// damage a file); returns the folder.
std::string CopyPack(const std::string& name);

std::string ReadFile(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);

} // namespace e2e
