// What the program writes, on a disk that fails: every failed write is an
// error naming the file and the reason, what was at the requested name
// stays as it was, and no temporary file is left behind.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::string Mot = std::string(CITADEL_PACK_DIR) + "/citadel-mot";

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs program with args where no file may grow past 1 KiB: writes beyond
// fail with "File too large", as they would on a full disk.
e2e::RunResult OnAFullDisk(const std::string& program, const std::vector<std::string>& args)
{
    std::string command = "trap '' XFSZ; ulimit -f 1; exec '" + program + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    return e2e::Run("/bin/bash", {"-c", command}, {{"SDL_AUDIODRIVER", "dummy"}});
}

void ExpectFailedWrite(const e2e::RunResult& run, const std::string& path, const std::string& reason)
{
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("'" + path + "'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
}

} // namespace

// A failed picture used to take the file at its path with it, a device
// node included.
TEST(BadOutput, AFailedPictureWriteLeavesWhatWasThereAndNoTemporaryFile)
{
    const std::string folder = e2e::TempFolder("full-pictures"), shot = folder + "/shot.png",
                      mot = folder + "/shot.MOT";
    std::ofstream(shot) << "precious";
    std::ofstream(mot) << "precious";
    ExpectFailedWrite(
        OnAFullDisk(e2e::CitadelExe(), {"--headless", "--no-music", "--frames", "3", "--snapshot", "2=" + shot}), shot,
        "File too large");
    ExpectFailedWrite(OnAFullDisk(e2e::CitadelExe(), {"--capture", folder + "/frames/", "--frames", "3"}), folder + "/frames",
                      "File too large");
    ExpectFailedWrite(OnAFullDisk(Mot, {"to-png", std::string(CITADEL_PACK_DIR) + "/Tex0.MOT", shot}), shot,
                      "File too large");
    ASSERT_EQ(e2e::Run(Mot, {"to-png", std::string(CITADEL_PACK_DIR) + "/Tex0.MOT", folder + "/in.png"}).status, 0);
    ExpectFailedWrite(OnAFullDisk(Mot, {"to-mot", folder + "/in.png", mot}), mot, "File too large");
    EXPECT_EQ(e2e::ReadFile(shot) + e2e::ReadFile(mot), "preciousprecious");
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"in.png", "shot.MOT", "shot.png"}));

    // A picture is never written over a device, a pipe or a folder: replacing
    // one would take away what the system keeps there. (Device nodes need root.)
    const std::string full = folder + "/full", fifo = folder + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::vector<std::string> targets{fifo, folder};
    if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) targets.push_back(full); // as /dev/full
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        const auto run = e2e::RunCitadel({"--headless", "--no-music", "--frames", "3", "--snapshot", "2=" + target},
                                         {{"SDL_AUDIODRIVER", "dummy"}});
        ExpectFailedWrite(run, target, target == folder ? "it is a folder" : "it is not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (targets.size() == 3) EXPECT_TRUE(fs::is_character_file(full));
}

// The state log on a full disk used to end with status 0 and an empty file.
TEST(BadOutput, AStateLogOrFiguresThatCannotBeWrittenAreRunTimeErrorsNamingThem)
{
    const auto full = e2e::RunCitadel({"--headless", "--no-music", "--frames", "3", "--state-log", "/dev/full"},
                                      {{"SDL_AUDIODRIVER", "dummy"}});
    ExpectFailedWrite(full, "/dev/full", "No space left on device");

    const std::string folder = e2e::TempFolder("full-log"), log = folder + "/state.csv";
    std::ofstream(log) << "precious";
    ExpectFailedWrite(OnAFullDisk(e2e::CitadelExe(), {"--headless", "--no-music", "--frames", "60", "--state-log", log}), log,
                      "File too large");
    EXPECT_EQ(e2e::ReadFile(log), "precious");
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"state.csv"});

    // The figures are written like a picture: never over a device.
    ExpectFailedWrite(e2e::RunCitadel({"--benchmark", "--frames", "3", "--benchmark-json", "/dev/full"}), "/dev/full",
                      "it is not a regular file");
}
