// What the program writes, on a disk that fails: every failed write is an
// error naming the file and the reason, what was at the requested name
// stays as it was, and no temporary file is left behind. And where it
// writes: every writer takes "-", /dev/stdout and /dev/fd/1 for standard
// output, writes a device directly and follows a link, keeping it.
#include "e2e/Run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

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
    ExpectFailedWrite(OnAFullDisk(e2e::CitadelExe(), {"--capture", folder + "/frames/", "--frames", "3"}),
                      folder + "/frames", "File too large");
    ExpectFailedWrite(OnAFullDisk(Mot, {"to-png", std::string(CITADEL_PACK_DIR) + "/Tex0.MOT", shot}), shot,
                      "File too large");
    ASSERT_EQ(e2e::Run(Mot, {"to-png", std::string(CITADEL_PACK_DIR) + "/Tex0.MOT", folder + "/in.png"}).status, 0);
    ExpectFailedWrite(OnAFullDisk(Mot, {"to-mot", folder + "/in.png", mot}), mot, "File too large");
    EXPECT_EQ(e2e::ReadFile(shot) + e2e::ReadFile(mot), "preciousprecious");
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"in.png", "shot.MOT", "shot.png"}));
    // (A snapshot to a folder is refused with the options: see below.)
}

// The state log on a full disk used to end with status 0 and an empty file.
TEST(BadOutput, AStateLogOrFiguresThatCannotBeWrittenAreRunTimeErrorsNamingThem)
{
    const auto full = e2e::RunCitadel({"--headless", "--no-music", "--frames", "3", "--state-log", "/dev/full"},
                                      {{"SDL_AUDIODRIVER", "dummy"}});
    ExpectFailedWrite(full, "/dev/full", "No space left on device");

    const std::string folder = e2e::TempFolder("full-log"), log = folder + "/state.csv";
    std::ofstream(log) << "precious";
    ExpectFailedWrite(
        OnAFullDisk(e2e::CitadelExe(), {"--headless", "--no-music", "--frames", "60", "--state-log", log}), log,
        "File too large");
    EXPECT_EQ(e2e::ReadFile(log), "precious");
    EXPECT_EQ(Listing(folder), std::vector<std::string>{"state.csv"});

    // The figures are written like a picture: to the device named.
    ExpectFailedWrite(e2e::RunCitadel({"--benchmark", "--frames", "3", "--benchmark-json", "/dev/full"}), "/dev/full",
                      "No space left on device");
}

// Every writer over every kind of output name. Standard output here is a
// regular file (as with > out.csv), which used to be replaced by a file
// of its own, or refused.
TEST(Outputs, EveryWriterTakesStandardOutputDevicesAndLinks)
{
    const std::string folder = e2e::TempFolder("outputs"), tex = std::string(CITADEL_PACK_DIR) + "/Tex0.MOT";
    ASSERT_EQ(e2e::Run(Mot, {"to-png", tex, folder + "/in.png"}).status, 0);
    const std::string png = "\x89PNG", mot = e2e::ReadFile(tex).substr(0, 8);
    struct Writer {
        std::string name;
        std::string program;
        std::function<std::vector<std::string>(const std::string&)> args;
        std::string begins; // what the output starts with
    };
    const std::vector<Writer> writers = {
        {"snapshot", e2e::CitadelExe(),
         [](const std::string& to) {
             return std::vector<std::string>{"--headless", "--no-music", "--frames", "3", "--snapshot", "2=" + to};
         },
         png},
        {"state log", e2e::CitadelExe(),
         [](const std::string& to) {
             return std::vector<std::string>{"--headless", "--no-music", "--frames", "3", "--state-log", to};
         },
         "frame,phase,"},
        {"figures", e2e::CitadelExe(),
         [](const std::string& to) {
             return std::vector<std::string>{"--benchmark", "--gl", "es", "--frames", "3", "--benchmark-json", to};
         },
         "{"},
        {"to-png", Mot,
         [&](const std::string& to) {
             return std::vector<std::string>{"to-png", tex, to};
         },
         png},
        {"to-mot", Mot,
         [&](const std::string& to) {
             return std::vector<std::string>{"to-mot", folder + "/in.png", to};
         },
         mot},
        {"sheet", Mot,
         [&](const std::string& to) {
             return std::vector<std::string>{"sheet", to, tex};
         },
         png},
    };
    const std::string real = folder + "/real", link = folder + "/link";
    for (const Writer& writer : writers)
        for (const std::string to : {"-", "/dev/stdout", "/dev/fd/1", "/dev/null", "link"}) {
            SCOPED_TRACE(writer.name + " to " + to);
            fs::remove(real);
            fs::remove(link);
            std::ofstream(real) << "old";
            fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
            fs::create_symlink("real", link);
            const auto run =
                e2e::Run(writer.program, writer.args(to == "link" ? link : to), {{"SDL_AUDIODRIVER", "dummy"}});
            ASSERT_EQ(run.status, 0) << run.err;
            if (to == "link") {
                EXPECT_TRUE(fs::is_symlink(link));
                EXPECT_EQ(e2e::ReadFile(real).rfind(writer.begins, 0), 0u);
                EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write);
            } else if (to != "/dev/null") {
                // The figures follow their own table on standard output.
                EXPECT_NE(run.out.find(writer.begins), std::string::npos);
                if (writer.name != "figures") EXPECT_EQ(run.out.rfind(writer.begins, 0), 0u);
            }
            EXPECT_EQ(Listing(folder), (std::vector<std::string>{"in.png", "link", "real"}));
        }
    EXPECT_TRUE(fs::is_symlink("/dev/stdout")) << "/dev/stdout was replaced";
}

// What is printed on standard output counts: to a full disk or a closed
// descriptor it used to be lost with exit status 0.
TEST(Outputs, StandardOutputThatCannotBeWrittenIsAnError)
{
    const std::string tex = std::string(CITADEL_PACK_DIR) + "/Tex0.MOT";
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {e2e::CitadelExe(), {"--version"}},
        {e2e::CitadelExe(), {"--help"}},
        {e2e::CitadelExe(), {"--benchmark", "--gl", "es", "--frames", "3"}},
        {e2e::CitadelExe(), {"--headless", "--no-music", "--frames", "3", "--state-log", "-"}},
        {Mot, {"--help"}},
        {Mot, {"info", tex}},
        {Mot, {"to-png", tex, "-"}},
    };
    for (const auto& [program, args] : runs)
        for (const auto& [redirect, reason] : std::vector<std::pair<std::string, std::string>>{
                 {">/dev/full", "No space left on device"}, {">&-", "Bad file descriptor"}}) {
            std::string command = "exec '" + program + "'";
            for (const std::string& arg : args) command += " '" + arg + "'";
            SCOPED_TRACE(command + " " + redirect);
            const auto run = e2e::Run("/bin/bash", {"-c", command + " " + redirect}, {{"SDL_AUDIODRIVER", "dummy"}});
            EXPECT_EQ(run.status, 1) << run.err;
            EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        }
}

// A picture, a log or figures that could not be written used to be found
// out only after the whole run that was to end in them; now the options say
// so before it starts (exit 2). Root writes in any folder: the run is made as
// nobody there.
TEST(BadOutput, AnOutputThatCannotBeWrittenIsRefusedBeforeTheRun)
{
    if (::geteuid() == 0 && !fs::exists("/usr/bin/setpriv")) GTEST_SKIP() << "setpriv is needed to run as nobody";
    const std::string folder = e2e::TempFolder("refused");
    const std::string readOnly = folder + "/read-only";
    fs::create_directories(readOnly);
    fs::permissions(folder, fs::perms::all);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const auto asNobody = [](std::vector<std::string> args) {
        if (::geteuid() != 0) return e2e::RunCitadel(args);
        args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", e2e::CitadelExe()});
        return e2e::Run("/usr/bin/setpriv", args, {{"SDL_AUDIODRIVER", "dummy"}});
    };
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--snapshot", "3=" + folder}, "--snapshot: cannot write '" + folder + "': it is a folder"},
        {{"--state-log", folder}, "--state-log: cannot write '" + folder + "': it is a folder"},
        {{"--snapshot", "3000=" + readOnly + "/late.png"},
         "--snapshot: cannot write '" + readOnly + "/late.png': Permission denied"},
        {{"--state-log", readOnly + "/show.csv"},
         "--state-log: cannot write '" + readOnly + "/show.csv': Permission denied"},
        {{"--benchmark", "--benchmark-json", readOnly + "/figures.json"},
         "--benchmark-json: cannot write '" + readOnly + "/figures.json': Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args{"--headless", "--no-music"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = asNobody(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // Where a file may be made, the same options are taken.
    const auto fine = asNobody({"--headless", "--no-music", "--frames", "2", "--snapshot", "2=" + folder + "/ok.png"});
    EXPECT_EQ(fine.status, 0) << fine.err;
    EXPECT_TRUE(fs::exists(folder + "/ok.png"));
}
